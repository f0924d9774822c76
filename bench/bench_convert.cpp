// Throughput of whole console runs: generates a corpus of documents with three
// 30 x 6 tables, converts it with the built program for each thread count and
// prints documents per second and the peak memory of the program.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/docx_writer.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using namespace vantile;

namespace {

struct Settings {
    int docs = 5000;
    int runs = 3;
    std::vector<int> threads{1, 2};
    std::vector<std::string> formats{"docx", "doc"};
    std::string program = VANTILE_BINARY_DIR "/vantile";
    std::string docFixture = VANTILE_BENCH_DIR "/fixtures/three_tables.doc";
};

// Three tables of 30 rows and 6 columns with a mix of words and numbers, as a
// typical report holds.
std::string documentBody(int seed) {
    std::string body;
    for (int t = 0; t < 3; ++t) {
        body += test::Para("Table " + std::to_string(t + 1) + " of document " + std::to_string(seed));
        std::vector<std::string> rows;
        for (int r = 0; r < 30; ++r) {
            std::string cells;
            for (int c = 0; c < 6; ++c) {
                std::string text;
                switch (c) {
                    case 0:
                        text = "Item " + std::to_string(seed * 100 + r);
                        break;
                    case 1:
                        text = "Description of row " + std::to_string(r) + " in table " + std::to_string(t);
                        break;
                    case 2:
                        text = std::to_string((seed + r * 7 + c) % 1000);
                        break;
                    case 3:
                        text = std::to_string(r) + "." + std::to_string((seed + c) % 100);
                        break;
                    case 4:
                        text = r % 3 ? "open" : "closed";
                        break;
                    default:
                        text = "2018-10-" + std::to_string(10 + r % 20);
                        break;
                }
                cells += test::Cell(text);
            }
            rows.push_back("<w:tr>" + cells + "</w:tr>");
        }
        body += test::Tbl(rows, {1200, 2600, 1000, 1000, 1100, 1400});
    }
    return body;
}

struct Outcome {
    double seconds = 0;
    long peakKiB = 0;
    int succeeded = 0;
};

int countSuccessLines(const fs::path& log) {
    std::ifstream in(log, std::ios::binary);
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        if (line.rfind("Success => ", 0) == 0)
            ++n;
    }
    return n;
}

Outcome runOnce(const Settings& s, const fs::path& source, const fs::path& work, int threads) {
    const fs::path out = work / "out";
    const fs::path log = work / "run.log";
    fs::remove_all(out);
    fs::create_directories(out);
    const std::string arg = "-P:Source=" + source.string() + "/*.doc?;Target=" + out.string() +
                            "/;PureConsole=1;ThreadsCount=" + std::to_string(threads) +
                            ";LogFile=" + log.string();
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("VANTILE_OPENER", "/bin/true", 1);
        ::execl(s.program.c_str(), s.program.c_str(), arg.c_str(), static_cast<char*>(nullptr));
        std::perror("exec");
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    Outcome o;
    o.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    o.peakKiB = usage.ru_maxrss;
    o.succeeded = countSuccessLines(log);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "the program failed (%d)\n", status);
    return o;
}

bool parse(int argc, char** argv, Settings& s) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--docs") {
            s.docs = std::stoi(value());
        } else if (a == "--runs") {
            s.runs = std::stoi(value());
        } else if (a == "--threads") {
            s.threads.clear();
            std::stringstream list(value());
            for (std::string t; std::getline(list, t, ',');)
                s.threads.push_back(std::stoi(t));
        } else if (a == "--formats") {
            s.formats.clear();
            std::stringstream list(value());
            for (std::string f; std::getline(list, f, ',');)
                s.formats.push_back(f);
        } else if (a == "--program") {
            s.program = value();
        } else if (a == "--doc-fixture") {
            s.docFixture = value();
        } else if (a == "--write-docx") {
            std::ofstream(value(), std::ios::binary) << test::BuildDocx(documentBody(0));
            return false;
        } else {
            std::fprintf(stderr,
                         "usage: bench_convert [--docs N] [--runs N] [--threads 1,2] [--formats docx,doc]\n"
                         "                     [--program PATH] [--doc-fixture PATH] | --write-docx FILE\n");
            std::exit(2);
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Settings s;
    if (!parse(argc, argv, s))
        return 0;
    test::TempDir work;
    std::printf("| format | threads | documents | seconds | documents/s | peak memory (MiB) |\n");
    std::printf("|---|---:|---:|---:|---:|---:|\n");
    for (const auto& format : s.formats) {
        const fs::path source = work.path() / ("src-" + format);
        fs::create_directories(source);
        if (format == "docx") {
            for (int i = 0; i < s.docs; ++i) {
                std::ofstream(source / ("report-" + std::to_string(i) + ".docx"), std::ios::binary)
                    << test::BuildDocx(documentBody(i));
            }
        } else if (fs::exists(s.docFixture)) {
            // The same content as the generated .docx documents, saved by a word processor.
            for (int i = 0; i < s.docs; ++i)
                fs::copy_file(s.docFixture, source / ("report-" + std::to_string(i) + ".doc"));
        } else {
            std::fprintf(stderr, "no .doc fixture at %s; skipping .doc\n", s.docFixture.c_str());
            continue;
        }
        for (int threads : s.threads) {
            Outcome best;
            for (int run = 0; run < s.runs; ++run) {
                const Outcome o = runOnce(s, source, work.path(), threads);
                if (run == 0 || o.seconds < best.seconds)
                    best = o;
                best.peakKiB = std::max(best.peakKiB, o.peakKiB);
            }
            if (best.succeeded != s.docs) {
                std::fprintf(stderr, "only %d of %d documents converted\n", best.succeeded, s.docs);
            }
            std::printf("| %s | %d | %d | %.2f | %.0f | %.1f |\n", format.c_str(), threads, s.docs,
                        best.seconds, s.docs / best.seconds, best.peakKiB / 1024.0);
            std::fflush(stdout);
        }
    }
    return 0;
}
