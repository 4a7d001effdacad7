// Whole-buffer reads and writes on a file descriptor, retried after interruptions and short
// transfers, so callers see only "all of it" or a failure.
#pragma once

#include <cstddef>
#include <cstdint>

// Writes length bytes; false when the descriptor refuses any of them.
bool WriteAllBytes(int fd, const uint8_t* bytes, size_t length);

// Reads until length bytes have arrived or the file ends; returns the number read.
size_t ReadAllBytes(int fd, uint8_t* bytes, size_t length);
