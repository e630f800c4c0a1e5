// msgmake: writes one MIME draft message from its command line.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::printf("usage: msgmake [number] MakeEMLAttachmentFileSW('file.eml', ...)\n");
    return 0;
  }
  return 0;
}
