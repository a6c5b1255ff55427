// The floor for the walk benchmark: only what any tool must do per entry:
// readdir, open, read the flags, clear the compression flag where set, close.
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

static void Walk(const std::string& directory) {
  DIR* dir = opendir(directory.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    const std::string path = directory + "/" + name;
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW);
    if (fd >= 0) {
      int flags = 0;
      if (ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_COMPR_FL)) {
        flags &= ~FS_COMPR_FL;
        ioctl(fd, FS_IOC_SETFLAGS, &flags);
      }
      close(fd);
    }
    if (entry->d_type == DT_DIR) Walk(path);
  }
  closedir(dir);
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: walk_floor DIR\n");
    return 2;
  }
  Walk(argv[1]);
  return 0;
}
