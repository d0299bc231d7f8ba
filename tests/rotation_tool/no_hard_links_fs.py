"""A small file system for tests: the files of a backing folder, without hard links and with
little room. link() fails with EPERM, as on file systems that have no hard links, and a write
that would take the files past the size limit fails with ENOSPC. Every change of a name is
appended to a log file, one line each ("create", "unlink", "rename", "link-refused" followed by
the paths), so that a test can tell in which order a program made them. Only what a program
needs to write files into existing folders is there.

Usage: /usr/bin/python3 no_hard_links_fs.py BACKING MOUNTPOINT LIMIT_BYTES LOG
Runs in the foreground until the mount point is unmounted."""

import errno
import os
import sys
import threading

from fusepy import FUSE, FuseOSError, Operations


class NoHardLinks(Operations):
    def __init__(self, backing, limit, log):
        self.backing = backing
        self.limit = limit
        self.log = open(log, "a", buffering=1)
        self.room = threading.Lock()

    def real(self, path):
        return os.path.join(self.backing, path.lstrip("/"))

    def record(self, *words):
        self.log.write(" ".join(words) + "\n")

    def used(self):
        total = 0
        for folder, _, files in os.walk(self.backing):
            for name in files:
                try:
                    total += os.lstat(os.path.join(folder, name)).st_size
                except OSError:
                    pass
        return total

    def make_room(self, path, new_size):
        # Called under the lock: the growth of one file must fit into what is left.
        try:
            old_size = os.lstat(self.real(path)).st_size
        except OSError:
            old_size = 0
        if new_size > old_size and self.used() + new_size - old_size > self.limit:
            raise FuseOSError(errno.ENOSPC)

    def getattr(self, path, fh=None):
        info = os.lstat(self.real(path))
        keys = ("st_mode", "st_ino", "st_nlink", "st_uid", "st_gid", "st_size", "st_atime", "st_mtime", "st_ctime")
        return {key: getattr(info, key) for key in keys}

    def readdir(self, path, fh):
        return [".", ".."] + os.listdir(self.real(path))

    def chmod(self, path, mode):
        os.chmod(self.real(path), mode)

    def link(self, target, source):
        self.record("link-refused", source, target)
        raise FuseOSError(errno.EPERM)

    def unlink(self, path):
        os.unlink(self.real(path))
        self.record("unlink", path)

    def rename(self, old, new):
        os.rename(self.real(old), self.real(new))
        self.record("rename", old, new)

    def open(self, path, flags):
        return os.open(self.real(path), flags)

    def create(self, path, mode, fi=None):
        fd = os.open(self.real(path), os.O_RDWR | os.O_CREAT | os.O_EXCL, mode)
        self.record("create", path)
        return fd

    def read(self, path, size, offset, fh):
        return os.pread(fh, size, offset)

    def write(self, path, data, offset, fh):
        with self.room:
            self.make_room(path, offset + len(data))
            return os.pwrite(fh, data, offset)

    def fsync(self, path, datasync, fh):
        os.fsync(fh)
        return 0

    def release(self, path, fh):
        os.close(fh)
        return 0


if __name__ == "__main__":
    backing, mountpoint, limit, log = sys.argv[1:5]
    FUSE(NoHardLinks(os.path.abspath(backing), int(limit), log), mountpoint, foreground=True, use_ino=True,
         hard_remove=True)
