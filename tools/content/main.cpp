// vellomire-content --out DIR [NAME ...]: writes the show's Data folder (or only the named
// files) into DIR, creating it. The output depends on nothing but this program.
// vellomire-content --list-marks: the soundtrack's marks, a line each: "section S" and
// "accent S" (seconds of music), then "fade S" (the fade-out starts), "silence S" (silent
// from there on) and "end S" (the soundtrack's length).
#include "tools/content/ContentSet.h"
#include "tools/content/SoundtrackMarks.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

static int Usage() {
    std::fprintf(stderr, "usage: vellomire-content --out DIR [FILE ...]\n"
                         "       vellomire-content --list-marks\n");
    return 2;
}

static int ListMarks() {
    for (double t : content::SectionStarts()) {
        std::printf("section %g\n", t);
    }
    for (double t : content::AccentTimes()) {
        std::printf("accent %g\n", t);
    }
    std::printf("fade %g\nsilence %g\nend %g\n", content::kFadeStart, content::kFadeEnd,
                content::kSoundtrackSeconds);
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--list-marks") == 0) {
        return ListMarks();
    }
    std::string out;
    std::vector<std::string> only;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
            out = argv[++i];
        } else if (argv[i][0] == '-') {
            return Usage();
        } else {
            only.emplace_back(argv[i]);
        }
    }
    if (out.empty()) {
        return Usage();
    }
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (ec) {
        std::fprintf(stderr, "vellomire-content: cannot create %s: %s\n", out.c_str(),
                     ec.message().c_str());
        return 1;
    }
    std::vector<content::ContentFile> files;
    std::string error;
    if (!content::ListContentFiles(files, error) ||
        !content::WriteContentFiles(files, out, only, error)) {
        std::fprintf(stderr, "vellomire-content: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
