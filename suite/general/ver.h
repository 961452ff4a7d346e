// Version of the running suite, as shown to users.
#pragma once

// The release version, for example "14.0".
char const* ver_get_version();
// Whether the running suite is a service-pack release, and its service-pack text.
bool ver_is_service_pack();
char const* ver_get_service_pack();
