// What the POSIX implementations of the file interfaces share.
#pragma once

namespace miwake {

// The Windows code of an errno value, for the texts the user reads.
int WindowsErrorCode(int error);

}  // namespace miwake
