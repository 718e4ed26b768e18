// Replacing a file's whole content, all or nothing.
#pragma once

#include "text/text.h"

namespace sl {

// Writes `data` as the whole new content of the file at `path`, creating it
// when missing. False, with the file left exactly as it was, when the path is
// empty or invalid, its directory is missing or read-only, the file is
// read-only (no write permission at all counts so even for the superuser) or
// locked by another program, or writing fails on the way (a full disk): the
// new content goes to a temporary file beside it that replaces the file only
// once it is completely written and closed.
bool WriteWholeFile(const Text& path, const ByteBuffer& data);

// The steps of WriteWholeFile at which tests can make the system fail, as a
// full disk would. Stays in force until set back to kNone.
enum class WriteFault { kNone, kWrite, kSync, kClose, kRename };
void InjectWriteFault(WriteFault fault);

}  // namespace sl
