#include <sys/stat.h>

#include "support/read_only.h"

namespace testing_support {

void makeReadOnly(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0) chmod(path.c_str(), st.st_mode & ~(S_IWUSR | S_IWGRP | S_IWOTH));
}

}  // namespace testing_support
