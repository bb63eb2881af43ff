#pragma once
// The tesseract command line as a user runs it on a picture file: the peer of the
// benchmarks that compare with what a user would otherwise run.

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// The lines it prints for picture (encoded bytes), blank ones left out. options are
// added to the command line as given, such as "-l eng --psm 3".
std::vector<std::string> TesseractCli(const std::vector<std::uint8_t>& picture,
                                      const std::string& options);

}  // namespace bench
