// Where the files beside the executable are looked for.

#include <gtest/gtest.h>

#include "toolkit/executable_path.h"

namespace {

TEST(FileBesideExecutable, DirectoryWithItsSeparatorThenSlashAndName) {
  EXPECT_EQ(FileBesideExecutablePath("C:\\Tools\\Shot\\PondixScreenLoader.exe", "ver"),
            "C:\\Tools\\Shot\\/ver");
  EXPECT_EQ(FileBesideExecutablePath("C:\\Program Files\\Pondix\\psl.exe", "config.pl"),
            "C:\\Program Files\\Pondix\\/config.pl");
  // A drive-relative name ends its directory at the colon.
  EXPECT_EQ(FileBesideExecutablePath("C:psl.exe", "ver"), "C:/ver");
  // The last separator counts, whichever of the two it is.
  EXPECT_EQ(FileBesideExecutablePath("\\\\server\\share\\a:b\\psl.exe", "ver"),
            "\\\\server\\share\\a:b\\/ver");
  EXPECT_EQ(FileBesideExecutablePath("psl.exe", "ver"), "/ver");
}

}  // namespace
