#include "platform/os/PlatformFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

struct PlatFile {
    int fd;
};

PlatFile* PlatFileOpen(const char* path, int mode)
{
    if (!path || !*path) return nullptr;
    int flags = O_CLOEXEC;
    if (mode & PLAT_OPEN_CREATE) flags |= O_RDWR | O_CREAT | O_TRUNC;
    else if (mode & PLAT_OPEN_APPEND) flags |= O_RDWR | O_CREAT;
    else if (mode & PLAT_OPEN_WRITE) flags |= O_RDWR;
    else flags |= O_RDONLY;
    int fd = open(path, flags, 0644);
    if (fd < 0) return nullptr;
    struct stat info{};
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) { close(fd); return nullptr; }
    if (mode & PLAT_OPEN_APPEND) lseek(fd, 0, SEEK_END);
    return new PlatFile{fd};
}

void PlatFileClose(PlatFile* file)
{
    if (!file) return;
    close(file->fd);
    delete file;
}

long PlatFileRead(PlatFile* file, void* buffer, size_t count)
{
    if (!file) return -1;
    size_t done = 0;
    while (done < count) {
        ssize_t n = read(file->fd, static_cast<char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += size_t(n);
    }
    return long(done);
}

long PlatFileWrite(PlatFile* file, const void* buffer, size_t count)
{
    if (!file) return -1;
    size_t done = 0;
    while (done < count) {
        ssize_t n = write(file->fd, static_cast<const char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return -1;
        done += size_t(n);
    }
    return long(done);
}

bool PlatFileSeek(PlatFile* file, int64_t offset, int origin)
{
    if (!file) return false;
    int whence = origin == 1 ? SEEK_CUR : origin == 2 ? SEEK_END : SEEK_SET;
    return lseek(file->fd, off_t(offset), whence) >= 0;
}

int64_t PlatFileTell(PlatFile* file) { return file ? int64_t(lseek(file->fd, 0, SEEK_CUR)) : -1; }

int64_t PlatFileHandleLength(PlatFile* file)
{
    struct stat info{};
    if (!file || fstat(file->fd, &info) != 0) return -1;
    return int64_t(info.st_size);
}

bool PlatFileSetHandleLength(PlatFile* file, int64_t length)
{
    return file && length >= 0 && ftruncate(file->fd, off_t(length)) == 0;
}

bool PlatFileFlush(PlatFile* file) { return file && fsync(file->fd) == 0; }

bool PlatPathExists(const char* path)
{
    struct stat info{};
    return path && *path && stat(path, &info) == 0;
}

bool PlatPathIsDirectory(const char* path)
{
    struct stat info{};
    return path && *path && stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

int64_t PlatPathLength(const char* path)
{
    struct stat info{};
    if (!path || stat(path, &info) != 0 || S_ISDIR(info.st_mode)) return -1;
    return int64_t(info.st_size);
}

bool PlatPathDelete(const char* path) { return path && unlink(path) == 0; }
bool PlatPathRename(const char* from, const char* to) { return from && to && rename(from, to) == 0; }
bool PlatMakeDirectory(const char* path) { return path && (mkdir(path, 0755) == 0 || errno == EEXIST); }
bool PlatRemoveDirectory(const char* path) { return path && rmdir(path) == 0; }

bool PlatFileReplace(const char* path, const void* data, size_t size)
{
    if (!path || !*path) return false;
    std::string temp = std::string(path) + ".tmp-" + std::to_string(getpid());
    PlatFile* file = PlatFileOpen(temp.c_str(), PLAT_OPEN_CREATE);
    if (!file) return false;
    bool ok = PlatFileWrite(file, data, size) == long(size) && PlatFileFlush(file);
    PlatFileClose(file);
    if (ok) ok = PlatPathRename(temp.c_str(), path);
    if (!ok) unlink(temp.c_str());
    return ok;
}
