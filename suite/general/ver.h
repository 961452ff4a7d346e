// Version of the running suite, as shown to users.
#pragma once

// The release version, for example "14.0".
char const* ver_get_version();
// Whether the running suite is a service-pack release, and its service-pack text.
bool ver_is_service_pack();
char const* ver_get_service_pack();
// The full version text as reports show it, build included ("Version 14.0
// Build 120 12/09/2026 SJ Full Version"); this suite has no shorter form.
char const* ver_get_full_version_for_reports(bool with_build);
// Whether the running suite is a beta release.
bool ver_is_beta();
