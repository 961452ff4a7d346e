// Functions that programs export to the libraries they load: weak, so that the
// process has one definition whichever program or test provides it.
#pragma once

#define MEM_EXPORT __attribute__((weak, visibility("default")))
