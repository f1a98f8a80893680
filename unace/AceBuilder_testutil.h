// Builds small ACE archives byte by byte for tests: valid headers with their
// CRCs, stored members (optionally encrypted), and whatever malformed pieces
// a test needs to splice in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "unace/crypto/AceCipher.h"
#include "unace/format/Crc.h"

namespace pelmora::unace::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

inline void Put16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, v & 0xFFFFu);
  Put16(out, v >> 16);
}
inline void Put64(Bytes& out, std::uint64_t v) {
  Put32(out, static_cast<std::uint32_t>(v));
  Put32(out, static_cast<std::uint32_t>(v >> 32));
}

// CRC and size in front of a header body (type byte on).
inline Bytes WithPrefix(const Bytes& body) {
  Bytes out;
  Put16(out, format::HeaderCrc16(body));
  Put16(out, static_cast<std::uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

inline constexpr std::uint32_t kSomeDosTime = 0x41046DDAu;  // 2012-08-04 13:46:52

struct MainFields {
  std::uint16_t flags = 0;
  std::uint8_t volume = 0;
  bool advertByte = true;
  std::string advert;
  std::optional<Bytes> comment;  // raw comment bytes after COMMENT_SIZE
};

inline Bytes MainHeaderBody(const MainFields& header) {
  Bytes body;
  body.push_back(0);
  Put16(body, header.flags | (header.comment ? 0x0002u : 0u));
  for (char c : std::string("**ACE**")) body.push_back(static_cast<std::uint8_t>(c));
  body.push_back(20);
  body.push_back(20);
  body.push_back(2);
  body.push_back(header.volume);
  Put32(body, kSomeDosTime);
  body.insert(body.end(), 8, 0);
  if (header.advertByte) {
    body.push_back(static_cast<std::uint8_t>(header.advert.size()));
    body.insert(body.end(), header.advert.begin(), header.advert.end());
  }
  if (header.comment) {
    Put16(body, static_cast<std::uint32_t>(header.comment->size()));
    body.insert(body.end(), header.comment->begin(), header.comment->end());
  }
  return body;
}

struct EntryFields {
  std::string name;
  Bytes data;  // the original content; stored as is (or encrypted)
  std::uint16_t flags = 0x0001;
  std::uint32_t attributes = 0x20;
  std::uint32_t dosTime = kSomeDosTime;
  bool wide = false;  // FILE64
  std::uint8_t compression = 0;
  std::uint16_t parameters = 10;
  std::optional<std::string> password;
  std::optional<std::uint32_t> crc;           // default: CRC of data
  std::optional<std::uint64_t> packedSize;    // default: bytes that follow
  std::optional<std::uint64_t> originalSize;  // default: data size
  std::optional<Bytes> packed;                // default: data (encrypted if a password is set)
};

inline Bytes FileBlock(const EntryFields& entry) {
  Bytes packed = entry.packed ? *entry.packed : entry.data;
  std::uint16_t flags = entry.flags | (entry.wide ? 0x0004u : 0u);
  if (entry.password && !entry.packed) {
    flags |= 0x4000;
    packed.resize((packed.size() + 7) / 8 * 8, 0);
    crypto::AceCipher cipher(crypto::DeriveAceKey(*entry.password));
    cipher.Encrypt(packed.data(), packed.size());
  }
  Bytes body;
  body.push_back(entry.wide ? 3 : 1);
  Put16(body, flags);
  const std::uint64_t packSize = entry.packedSize.value_or(packed.size());
  const std::uint64_t origSize = entry.originalSize.value_or(entry.data.size());
  if (entry.wide) {
    Put64(body, packSize);
    Put64(body, origSize);
  } else {
    Put32(body, static_cast<std::uint32_t>(packSize));
    Put32(body, static_cast<std::uint32_t>(origSize));
  }
  Put32(body, entry.dosTime);
  Put32(body, entry.attributes);
  Put32(body, entry.crc.value_or(format::AceCrc32Of(entry.data)));
  body.push_back(entry.compression);
  body.push_back(3);
  Put16(body, entry.parameters);
  Put16(body, 0);
  Put16(body, static_cast<std::uint32_t>(entry.name.size()));
  body.insert(body.end(), entry.name.begin(), entry.name.end());
  Bytes out = WithPrefix(body);
  out.insert(out.end(), packed.begin(), packed.end());
  return out;
}

inline EntryFields Folder(const std::string& name) {
  EntryFields entry;
  entry.name = name;
  entry.attributes = 0x10;
  return entry;
}

inline EntryFields Stored(const std::string& name, const std::string& content) {
  EntryFields entry;
  entry.name = name;
  entry.data = BytesOf(content);
  return entry;
}

// A complete single-volume archive.
inline Bytes Archive(const std::vector<EntryFields>& files, const MainFields& main = {}) {
  Bytes out = WithPrefix(MainHeaderBody(main));
  for (const EntryFields& file : files) {
    const Bytes block = FileBlock(file);
    out.insert(out.end(), block.begin(), block.end());
  }
  return out;
}

inline void Append(Bytes& out, const Bytes& more) {
  out.insert(out.end(), more.begin(), more.end());
}

}  // namespace pelmora::unace::test
