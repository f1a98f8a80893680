// Writes the synthetic part of the benchmark corpus: natural-language text,
// source-like text, random bytes and highly repetitive data. The output
// depends only on the seed, so every run measures the same bytes.
//
//   make_corpus OUTDIR SCALE_MB
//   make_corpus --one-file FILE SIZE_MB
//
// SCALE_MB is the total size of the synthetic part in MiB (split roughly
// 35% text, 25% source, 15% random, 25% repetitive). --one-file writes the
// same kinds of data, interleaved in 1 MiB pieces, into one file of SIZE_MB
// MiB (for the writer's memory with one large member).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
constexpr std::size_t kMiB = 1024 * 1024;

class Corpus {
 public:
  explicit Corpus(fs::path root) : root_(std::move(root)) {}

  void Write(const std::string& name, const std::string& content) {
    const fs::path path = root_ / name;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) {
      std::fprintf(stderr, "make_corpus: cannot write %s\n", path.c_str());
      std::exit(1);
    }
  }

 private:
  fs::path root_;
};

// Words drawn with a skewed distribution, as in prose.
std::string Prose(std::mt19937& rng, std::size_t size) {
  static const std::vector<std::string> words = [] {
    std::vector<std::string> w = {
        "the",     "of",     "and",     "to",       "in",    "is",      "that",    "for",
        "it",      "as",     "with",    "was",      "on",    "be",      "by",      "this",
        "are",     "from",   "at",      "or",       "setup", "install", "program", "directory",
        "archive", "volume", "Windows", "registry", "file",  "user",    "version", "product"};
    std::mt19937 gen(1234);
    const std::string letters = "etaoinshrdlucmfwypvbgkjqxz";
    for (int i = 0; i < 3000; ++i) {
      std::string word;
      const int len = 3 + static_cast<int>(gen() % 8);
      for (int j = 0; j < len; ++j) word += letters[std::min<std::size_t>(gen() % 26, gen() % 26)];
      w.push_back(word);
    }
    return w;
  }();
  std::string s;
  s.reserve(size + 100);
  std::size_t lineLength = 0;
  while (s.size() < size) {
    const std::size_t pick =
        std::min(rng() % words.size(), std::min(rng() % words.size(), rng() % words.size()));
    s += words[pick];
    lineLength += words[pick].size() + 1;
    if (rng() % 14 == 0) s += rng() % 3 == 0 ? ". " : ", ";
    if (lineLength > 70) {
      s += "\r\n";
      lineLength = 0;
    } else {
      s += ' ';
    }
  }
  s.resize(size);
  return s;
}

std::string SourceText(std::mt19937& rng, std::size_t size) {
  static const char* types[] = {"int", "std::string", "std::uint32_t", "bool", "double", "auto"};
  static const char* names[] = {"count", "index",  "buffer", "result", "offset", "length", "header",
                                "entry", "volume", "target", "status", "window", "table",  "value"};
  std::string s;
  s.reserve(size + 200);
  int function = 0;
  while (s.size() < size) {
    s += "// Computes the " + std::string(names[rng() % 14]) + " of one " + names[rng() % 14] +
         ".\n";
    s += std::string(types[rng() % 6]) + " Compute" + std::to_string(function++) + "(const " +
         types[rng() % 6] + "& " + names[rng() % 14] + ") {\n";
    const int statements = 2 + static_cast<int>(rng() % 10);
    for (int i = 0; i < statements; ++i) {
      switch (rng() % 4) {
        case 0:
          s += "  " + std::string(types[rng() % 6]) + " " + names[rng() % 14] + " = " +
               names[rng() % 14] + " + " + std::to_string(rng() % 1000) + ";\n";
          break;
        case 1:
          s += "  if (" + std::string(names[rng() % 14]) + " > " + names[rng() % 14] + ") return " +
               names[rng() % 14] + ";\n";
          break;
        case 2:
          s += "  for (int i = 0; i < " + std::string(names[rng() % 14]) + "; ++i) " +
               names[rng() % 14] + "[i] = 0;\n";
          break;
        default:
          s += "  " + std::string(names[rng() % 14]) + ".push_back(" + names[rng() % 14] + ");\n";
      }
    }
    s += "  return " + std::string(names[rng() % 14]) + ";\n}\n\n";
  }
  s.resize(size);
  return s;
}

std::string RandomBytes(std::mt19937& rng, std::size_t size) {
  std::string s(size, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

// Runs, repeated records and slowly changing tables.
std::string Repetitive(std::mt19937& rng, std::size_t size) {
  std::string s;
  s.reserve(size);
  std::string record(64, 'R');
  while (s.size() < size) {
    switch (rng() % 3) {
      case 0:
        s.append(256 + rng() % 4096, static_cast<char>(rng() % 4));
        break;
      case 1:
        record[rng() % record.size()] = static_cast<char>('A' + rng() % 26);
        for (int i = 0; i < 50; ++i) s += record;
        break;
      default:
        for (std::uint32_t i = 0; i < 1000; ++i) {
          const std::uint32_t v = i * 4 + static_cast<std::uint32_t>(rng() % 2);
          s.append(reinterpret_cast<const char*>(&v), sizeof v);
        }
    }
  }
  s.resize(size);
  return s;
}

// Built piece by piece so that the generator, too, stays small.
int WriteOneFile(const char* path, std::size_t total) {
  std::ofstream out(path, std::ios::binary);
  std::mt19937 rng(20240102);
  std::string (*const kinds[])(std::mt19937&, std::size_t) = {Prose, SourceText, RandomBytes,
                                                              Prose, Repetitive, SourceText};
  for (std::size_t i = 0, written = 0; written < total; ++i) {
    const std::string piece = kinds[i % std::size(kinds)](rng, std::min(kMiB, total - written));
    out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    written += piece.size();
  }
  if (!out) {
    std::fprintf(stderr, "make_corpus: cannot write %s\n", path);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--one-file")
    return WriteOneFile(argv[2], std::strtoul(argv[3], nullptr, 10) * kMiB);
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_corpus OUTDIR SCALE_MB | --one-file FILE SIZE_MB\n");
    return 2;
  }
  Corpus corpus(argv[1]);
  const std::size_t total = std::strtoul(argv[2], nullptr, 10) * kMiB;
  std::mt19937 rng(20240101);

  const std::size_t fileSize = 2 * kMiB;
  const auto split = [&](const char* folder, std::size_t bytes, auto make) {
    for (std::size_t i = 0; bytes > 0; ++i) {
      const std::size_t n = std::min(bytes, fileSize - (i % 3) * 300000);
      corpus.Write(std::string(folder) + "/part" + std::to_string(i) + ".dat", make(rng, n));
      bytes -= n;
    }
  };
  split("text", total * 35 / 100, Prose);
  split("source", total * 25 / 100, SourceText);
  split("random", total * 15 / 100, RandomBytes);
  split("repetitive", total * 25 / 100, Repetitive);
  return 0;
}
