// Runs a fuzz target over the files named on the command line, so that the
// seed corpus is replayed by every build, with or without a fuzzing engine.
#include <cstdint>
#include <fstream>
#include <iostream>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        std::string s = ss.str();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    }
    std::cout << "replayed " << (argc - 1) << " inputs\n";
    return 0;
}
