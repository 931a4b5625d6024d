// window-digest: reads updater-cli's --json transcript on standard input and
// writes the window digest on standard output, the same lines the GUI driver
// writes from the real windows, so that the two runs compare with diff.

#include <iostream>
#include <string>

#include "digest/transcript_digest.h"

int main(int argc, char** argv) {
  if (argc != 1) {
    std::cerr << "usage: " << argv[0] << " < transcript.jsonl > digest.jsonl\n";
    return 2;
  }
  std::string error;
  if (!updater::digest::digestTranscript(std::cin, std::cout, error)) {
    std::cerr << "window-digest: " << error << '\n';
    return 1;
  }
  return 0;
}
