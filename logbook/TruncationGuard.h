#pragma once
// A mapped data file that another program cuts short would end the program:
// reading a page past the file's new end raises SIGBUS. The guard puts a page
// of zeros in its place instead, so that such rows read as NUL bytes. It acts
// only for the mappings named here; any other SIGBUS goes where it went
// before (a handler installed earlier, or the default: the program ends).

#include <cstddef>

namespace logbook {

// Names a mapping to the guard, installing the guard's handler at the first
// call. False when the guard's table is full: the bytes are then copied.
bool guardMapping(const void* start, std::size_t length);

// Takes a mapping out of the guard's care, before it is unmapped.
void unguardMapping(const void* start);

} // namespace logbook
