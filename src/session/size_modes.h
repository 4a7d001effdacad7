// What a listing's sizes count: the bytes of each file, or the space it takes on the device. The
// values are the identifiers of the window's two View menu items that choose them.
#pragma once

constexpr int sizeModeActual = 32803;
constexpr int sizeModeAllocated = 32804;
