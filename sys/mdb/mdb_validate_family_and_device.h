// The check of the current project's FAMILY and DEVICE settings against the
// device support installed on this machine, which rewrites them (with the
// user's agreement on the location assignments) when they name something not
// installed.
#pragma once

class QWidget;

// False when there is no current project, when no family is installed, or
// when the user cancels the choice of another family; true otherwise, also
// when the settings that had to change could not be written (ACF_ERROR shows).
extern "C" bool mdb_dyn_validate_family_and_device_settings(QWidget* parent);
