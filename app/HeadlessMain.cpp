// The headless runner: drives the add-in and the spreadsheet host without a screen.
#include <cstdio>

int main(int argc, char** argv) {
    std::printf("Quorvel headless runner\n");
    return 0;
}
