/* The tablet interface's declarations for Qt's Windows platform plugin, taken from Wine's LGPL
 * headers (Debian's libwine-dev): Debian's repacked qt6-base source leaves out its own copy.
 * Wine's header names its A/W variants with two Wine macros that the Windows headers lack, and
 * Qt's plugin declares the entry points it loads with the calling convention macro API. */
#ifndef VANT_WINTAB_WRAPPER_H
#define VANT_WINTAB_WRAPPER_H

#include <windows.h>

#ifndef WINELIB_NAME_AW
#  ifdef UNICODE
#    define WINELIB_NAME_AW(name) name##W
#  else
#    define WINELIB_NAME_AW(name) name##A
#  endif
#endif
#ifndef DECL_WINELIB_TYPE_AW
#  define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;
#endif

#ifndef API
#  define API WINAPI
#endif

#include "wine-wintab.h"

#endif
