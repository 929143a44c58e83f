#pragma once
// Symbolic links on the way to a file the program writes.
//
// A link is followed only where the kernel's protected_symlinks rule would
// follow it: outside a sticky world-writable folder (such as /tmp), or when
// the link belongs to the folder's owner or to this process' user. A link
// planted by another user in a shared folder must not redirect our writes
// onto a file of that user's choosing, so resolving a link in user space
// (for a temporary file beside the target, or a check before opening) has
// to apply the same rule as the kernel.
#include <string>

namespace vornik {

// Where writing to `path` lands: every symbolic link at the last component
// followed, also to a target that does not exist yet (a dangling link then
// has its target created). Returns 0 and sets `target`, or an errno value:
// EACCES for a link the rule above refuses, ELOOP for too many links.
// `target` is not a link when this returns, but may become one: open it
// with O_NOFOLLOW (or replace it by rename, which never follows).
// On Windows `target` is `path`.
int ResolveLinksForWriting(const std::string& path, std::string& target);

#ifndef _WIN32
// True when a file or link at `path` that belongs to user `owner` is one
// another user may have planted: it lies in a sticky folder writable by all,
// and neither this process' user nor the folder's owner owns it.
bool PlantedByAnotherUser(const std::string& path, unsigned owner);
#endif

}  // namespace vornik
