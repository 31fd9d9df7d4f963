// Writes the generated hostile inputs into a folder, for reading them, for
// seeding fuzzers, or for trying them by hand:
//   tessed_hostile_corpus CORPUS_DIR DEMO.tdj OUT_DIR [NAME...]
// Without names every input is written (about 300 MB, most of it the huge
// configuration and scenario files).
#include <iostream>

#include "corpus.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::cerr << "usage: tessed_hostile_corpus CORPUS_DIR DEMO.tdj OUT_DIR [NAME...]\n";
        return 2;
    }
    tessed::hostile::Sources src{argv[1], argv[2]};
    std::vector<std::string> names(argv + 4, argv + argc);
    if (names.empty()) names = tessed::hostile::GeneratedInputs(src);
    int failed = 0;
    for (const auto& name : names) {
        std::string error;
        if (!tessed::hostile::MakeInput(name, src, argv[3], error)) {
            std::cerr << "tessed_hostile_corpus: " << error << "\n";
            ++failed;
        }
    }
    return failed ? 1 : 0;
}
