// MemberPacker for files too large to hold: the file is read in chunks,
// fed to the encoder, and the packed (and encrypted) bytes go to a work file
// whose size then goes into the FILE header.
#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "acewriter/AceHeaders.h"
#include "acewriter/MemberPacker.h"
#include "acewriter/OutputFile.h"
#include "acewriter/PathText.h"
#include "unace/format/Crc.h"

namespace pelmora::acewriter {
namespace {

constexpr std::size_t kChunk = 1u << 20;

// Encrypts a byte stream that arrives in pieces of any length: the cipher
// takes whole 8-byte blocks and its chain runs on across the pieces.
class StreamEncryptor {
 public:
  StreamEncryptor(unace::crypto::AceCipher* cipher, OutputFile& out) : cipher_(cipher), out_(out) {
    if (cipher_) cipher_->RestartChain();
  }

  void Put(std::span<const std::uint8_t> bytes) {
    plainBytes_ += bytes.size();
    if (!cipher_) {
      out_.Write(bytes);
      return;
    }
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    const std::size_t whole =
        pending_.size() / unace::crypto::kCipherBlockBytes * unace::crypto::kCipherBlockBytes;
    cipher_->Encrypt(pending_.data(), whole);
    out_.Write(std::span<const std::uint8_t>(pending_).first(whole));
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(whole));
  }

  // Pads the last block with zeros; readers stop at ORIG_SIZE.
  void Finish() {
    if (!cipher_ || pending_.empty()) return;
    pending_.resize(unace::crypto::kCipherBlockBytes, 0);
    cipher_->Encrypt(pending_.data(), pending_.size());
    out_.Write(pending_);
    pending_.clear();
  }

  std::uint64_t PlainBytes() const { return plainBytes_; }

 private:
  unace::crypto::AceCipher* cipher_;
  OutputFile& out_;
  std::vector<std::uint8_t> pending_;
  std::uint64_t plainBytes_ = 0;
};

// Reads `path` chunk by chunk; returns the number of bytes seen.
template <typename OnChunk>
std::uint64_t ForEachChunk(const std::filesystem::path& path, OnChunk&& onChunk) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + PathText(path));
  std::vector<std::uint8_t> buffer(kChunk);
  std::uint64_t total = 0;
  for (;;) {
    in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got > 0) onChunk(std::span<const std::uint8_t>(buffer.data(), got));
    total += got;
    if (got < buffer.size()) break;
  }
  if (in.bad()) throw std::runtime_error("cannot read " + PathText(path));
  return total;
}

// Up to `count` bytes of `path` from `offset` on.
std::vector<std::uint8_t> ReadPart(const std::filesystem::path& path, std::uint64_t offset,
                                   std::size_t count) {
  std::ifstream in(path, std::ios::binary);
  if (!in || !in.seekg(static_cast<std::streamoff>(offset)))
    throw std::runtime_error("cannot open " + PathText(path));
  std::vector<std::uint8_t> bytes(count);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
  if (in.bad()) throw std::runtime_error("cannot read " + PathText(path));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

}  // namespace

bool MemberPacker::PacksInPieces() const { return !encoder_ || encoder_->CodesInPieces(); }

StreamedMember MemberPacker::PackFile(const std::filesystem::path& path, std::uint64_t size,
                                      const std::string& workPath,
                                      const std::function<void(std::uint64_t)>& onRead) {
  // Only the first pass over the file counts: a member that does not shrink
  // is read once more to be stored, which is no further progress.
  const auto counted = [&onRead](std::span<const std::uint8_t> chunk) {
    if (onRead) onRead(chunk.size());
  };
  StreamedMember member;
  member.compressionType = format::kStored;
  unace::format::AceCrc32 crc;

  if (encoder_) {
    OutputFile work(workPath);
    member.work = WorkFile(workPath);
    StreamEncryptor sink(cipher_ ? &*cipher_ : nullptr, work);
    encoder_->BeginMember(options_.solid, size);
    member.originalSize = ForEachChunk(path, [&](std::span<const std::uint8_t> chunk) {
      crc.Update(chunk);
      counted(chunk);
      encoder_->Feed(chunk);
      sink.Put(encoder_->TakePacked());
    });
    sink.Put(encoder_->FinishMember());
    sink.Finish();
    work.Close();
    member.crc32 = crc.Value();
    // As in memory: data that does not shrink is stored instead.
    if (sink.PlainBytes() < member.originalSize) {
      member.compressionType = encoder_->CompressionType();
      member.encrypted = cipher_.has_value();
      member.source = std::make_unique<FileSource>(workPath, work.Size());
      return member;
    }
    // The ACE 1.0 window holds the original bytes, as a reader's will; the
    // ACE 2.0 one may hold filtered bytes, and only the newest window's
    // worth of them matters.
    if (options_.method == PackMethod::Ace20) {
      const std::uint64_t window = std::uint64_t{2}
                                   << std::max<std::uint32_t>(options_.dictionaryBits, 20);
      const std::uint64_t tail = std::min(member.originalSize, window);
      encoder_->StoreInstead(
          ReadPart(path, member.originalSize - tail, static_cast<std::size_t>(tail)));
    }
  }

  if (cipher_) {
    OutputFile work(workPath);
    const bool firstPass = member.work.Path().empty();
    if (firstPass) member.work = WorkFile(workPath);
    StreamEncryptor sink(&*cipher_, work);
    crc.Reset();
    member.originalSize = ForEachChunk(path, [&](std::span<const std::uint8_t> chunk) {
      crc.Update(chunk);
      if (firstPass) counted(chunk);
      sink.Put(chunk);
    });
    sink.Finish();
    work.Close();
    member.crc32 = crc.Value();
    member.encrypted = true;
    member.source = std::make_unique<FileSource>(workPath, work.Size());
    return member;
  }

  if (!encoder_) {
    member.originalSize = ForEachChunk(path, [&](std::span<const std::uint8_t> chunk) {
      crc.Update(chunk);
      counted(chunk);
    });
    member.crc32 = crc.Value();
  }
  member.source = std::make_unique<FileSource>(path, member.originalSize);
  return member;
}

}  // namespace pelmora::acewriter
