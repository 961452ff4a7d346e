// Set-up of the suite's Tcl packages in the shared interpreter.
//
// A package library registers its initialiser with Tcl_StaticPackage under a
// prefix made of its package's last name word with a capital first letter
// ("::tessaly::ipman" gives "Ipman"). "package require" of a package named
// "::tessaly::<word>" then loads it into the shared interpreter when no other
// package index knows it. The initialiser registers the commands between
// atcl_begin_package_setup and atcl_end_package_setup: each is made in the
// package's namespace and imported into the global namespace.
#pragma once

#include <tcl.h>

#include <cstddef>

// One command of a package.
struct ATCL_CALLBACK {
    Tcl_CmdProc* handler;
    char const* name;
};

// Opens the set-up of a package: the registration or, with `unloading`, the
// removal of its commands. `library` and `prefix` name the package's library
// and its entry points' prefix (null when registering).
void atcl_begin_package_setup(char const* package, char const* version, char const* library,
                              char const* prefix, bool unloading);
// Makes the commands of the open set-up in the shared interpreter. False, with
// an internal error, when no set-up is open; false, with Tcl's reason as the
// interpreter's result, when Tcl refuses a command (importing one may read
// Tcl's own library index).
bool atcl_register_callbacks(ATCL_CALLBACK const* callbacks, size_t count);
// Closes the set-up.
void atcl_end_package_setup();
// Deletes the open set-up's package from `interp`: its namespace with its
// commands (and their imports) and the package's provision.
int atcl_unregister_package(Tcl_Interp* interp);

// Whether the glue loads package libraries by file. This suite's programs link
// the libraries of their packages, which register themselves as static
// packages, so it never does.
bool atcl_is_dynamically_loading();

// Lets "package require" load the suite's static packages (see above); the
// shared interpreter does this itself.
void atcl_register_static_package_loader(Tcl_Interp* interp);

// Registers a package library's initialiser as the static package `prefix` (as
// Tcl_StaticPackage does) that the shared interpreter loads as it is made, or at
// once when it is made already: its commands are there without "package
// require", for every script of the program.
void atcl_register_startup_package(char const* prefix, Tcl_PackageInitProc* init);
// Loads the startup packages into `interp`, those registered so far and the
// later ones as they register; the shared interpreter does this itself.
void atcl_load_startup_packages(Tcl_Interp* interp);

// Makes the suite's packages written in Tcl known to `interp`, loaded on
// "package require": "eda_bsd" 1.0, the board-level boundary-scan package,
// which offers no commands here. The shared interpreter does this itself.
void atcl_register_script_packages(Tcl_Interp* interp);
