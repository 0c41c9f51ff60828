// POSIX substitute: where the registry files live and how they are read and rewritten.
// Readers take the file as it stands (a rename replaces it whole, so a reader never sees
// half a file). A writer takes an advisory lock on the registry folder, reads the file again,
// applies its change and writes the whole file to a temporary file that a rename puts in
// place, so that two writers never lose each other's keys.
#pragma once
#include "platform/posix/base/HostFolders.h"
#include "platform/posix/registry/RegistryText.h"

#include <functional>
#include <string>

namespace ovs::posix {

// "HKEY_CURRENT_USER" and so on for the four predefined roots; null for any other handle.
const char* registryRootName(HKEY root);

// Whether a write to the root could succeed: its file may be rewritten (AtomicRewrite.h) in a
// writable folder, or, without a file, the folder or the closest folder above it that exists
// is writable.
bool registryWritable(HKEY root);

// Loads the root's file into hive (a missing file is an empty root; the standard keys exist
// either way). lastWrite receives the file's modification time (zero without a file).
// ERROR_SUCCESS, ERROR_REGISTRY_CORRUPT for a file that is not a registry file, or the
// Windows error of a file that cannot be read.
LONG readRegistryRoot(HKEY root, RegistryText& hive, FILETIME* lastWrite = nullptr);

// Locks the folder, loads the root, calls change; when change returns ERROR_SUCCESS and set
// changed, the whole root is written back (keeping the file's permissions). Returns change's
// result, or the error of readRegistryRoot (change is then not called and the file is left
// alone), or the Windows error of a failed write (ERROR_ACCESS_DENIED for a folder that
// cannot be written or a read-only file).
LONG updateRegistryRoot(HKEY root, const std::function<LONG(RegistryText&, bool& changed)>& change);

} // namespace ovs::posix
