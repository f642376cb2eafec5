// The least any tool can do to rename camera files safely in two passes and say so: for
// every file, one no-replace rename to a temporary name and, after all of them, one to the
// final name, each followed by one line written at once. No preview, no checks: the floor
// chaptersort is measured against.
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

// One line a rename, in one write, as chaptersort reports each.
void say(const std::string &old_name, const std::string &new_name) {
  std::string line = "    [OK] " + old_name + "  -->  " + new_name + "\r\n";
  (void)!write(STDOUT_FILENO, line.data(), line.size());
}

int main(int argc, char **argv) {
  if (argc != 2)
    return 2;
  std::string folder = argv[1];
  std::vector<std::string> names;
  DIR *directory = opendir(folder.c_str());
  if (!directory)
    return 1;
  while (dirent *entry = readdir(directory)) {
    std::string name = entry->d_name;
    if (name.size() == 12 && name[0] == 'G' && name.compare(9, 3, "MP4") == 0)
      names.push_back(name);
  }
  closedir(directory);
  std::vector<std::string> temps, finals;
  for (std::size_t k = 0; k < names.size(); ++k) {
    const std::string &name = names[k];
    std::string final_name = std::string("G-") + (name[1] == 'X' ? "HEVC" : "AVC") + "-" + name.substr(4, 4) +
                             "-" + name.substr(2, 2) + ".mp4";
    finals.push_back(folder + "/" + final_name);
    temps.push_back(folder + "/" + std::to_string(1000 + k % 9000) + "_" + final_name);
    renameat2(AT_FDCWD, (folder + "/" + name).c_str(), AT_FDCWD, temps.back().c_str(), RENAME_NOREPLACE);
    say(name, temps.back());
  }
  for (std::size_t k = 0; k < names.size(); ++k) {
    renameat2(AT_FDCWD, temps[k].c_str(), AT_FDCWD, finals[k].c_str(), RENAME_NOREPLACE);
    say(names[k], finals[k]);
  }
  return 0;
}
