// system-console: the stand-in of the suite's system console. It shows what it
// was started with: its working directory, then each argument on a line of
// its own, and ends successfully.
#include <cstdio>
#include <filesystem>
#include <system_error>

int main(int argc, char** argv) {
    std::error_code error;
    std::filesystem::path cwd = std::filesystem::current_path(error);
    std::printf("system-console: cwd %s\n", error ? "?" : cwd.c_str());
    for (int i = 1; i < argc; ++i) {
        std::printf("system-console: arg %s\n", argv[i]);
    }
    return 0;
}
