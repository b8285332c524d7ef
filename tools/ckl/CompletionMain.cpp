#include "Completion.h"

#include <fstream>
#include <iostream>

// Writes ckl's bash completion to the file named on the command line, at build time.
int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::cerr << "usage: ckl_completion OUT\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << ckl::BashCompletion();
    out.close();
    return out ? 0 : 1;
}
