// Whole-file reads and writes that never leave a file half written.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace tamsivane {

// Opens path as open(2) does (O_CLOEXEC added), but only a regular file.
// The open itself never waits, as it would for a FIFO without a writer;
// anything but a regular file is closed again and refused with EINVAL.
int OpenRegularFile(const std::string& path, int flags, mode_t mode = 0666);

// Reads the whole file into data.  False, with the reason in error, when it
// cannot be read, is not a regular file or is larger than maxSize bytes.
bool ReadWholeFile(const std::string& path, size_t maxSize, std::string& data, std::string& error);

// Replaces the file at path with data: the data goes to a new file beside it
// (with the old file's access rights, or readable and writable by the owner
// only), is flushed to the disk and only then renamed over path.  A file
// that already holds data is left untouched.  On failure the old file is
// left as it was, the new one removed, and the reason is in error.
bool ReplaceFile(const std::string& path, std::string_view data, std::string& error);

} // namespace tamsivane
