// POSIX substitute: the last private-profile file read, kept between calls as Windows keeps
// its current profile. Every call checks the file on disk again (one stat) and reads it anew
// unless it is provably the file that was read: same device and inode, same size, same
// modification and change times to the nanosecond, and read when its last change was already
// older than the file system's time-stamp granularity.
//
// Why the last rule: a writer that rewrites the file in place, keeps its size and lands in the
// same clock tick as the previous change (or puts the old modification time back) leaves
// size, inode and modification time as they were. Its change time still moves, unless the
// change fell into the very tick of the cached state; a file whose last change was that
// recent when it was read is therefore not trusted, and read again on every call until its
// last change lies further back than the granularity. Time stamps with nanoseconds are kept
// with a coarse kernel clock (at most one tick, 1/HZ <= 10 ms, behind), so a margin of 50 ms
// is used for them; stamps in whole seconds (file systems that keep no more) get 2 s.
// Our own writes replace the file by a rename, which gives it a new inode.
#pragma once
#include "platform/posix/profile/ProfileStore.h"
#include "platform/posix/profile/ProfileText.h"

#include <memory>

namespace ovs::posix {

// The file's text as readProfileText gives it; null, with the last error set as readProfileText
// sets it, when the file cannot be read.
std::shared_ptr<const ProfileText> readProfileCached(const ProfileLocation& location);

} // namespace ovs::posix
