#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <random>
#include <string>
#include <vector>

#include "soap/base64.h"

namespace {

std::vector<std::uint8_t> Bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

std::vector<std::uint8_t> Pattern(std::size_t n) {
    std::vector<std::uint8_t> out(n);
    std::mt19937 random(static_cast<unsigned>(n));
    for (auto& b : out)
        b = static_cast<std::uint8_t>(random());
    return out;
}

// OpenSSL's encoder, without line breaks, then broken every 76 characters.
std::string Reference(const std::vector<std::uint8_t>& bytes) {
    std::string flat(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(flat.data()), bytes.data(),
                                  static_cast<int>(bytes.size()));
    flat.resize(static_cast<std::size_t>(n));
    std::string out;
    for (std::size_t at = 0; at < flat.size(); at += 76) {
        out += flat.substr(at, 76);
        if (at + 76 <= flat.size())
            out += "\r\n";
    }
    return out;
}

std::string Quads(int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += "QUFB";  // "AAA"
    return out;
}

TEST(Base64Lines, KnownTexts) {
    const struct {
        std::string input;
        std::string expected;
    } cases[] = {
        {"", ""},
        {"a", "YQ=="},
        {"ab", "YWI="},
        {"abc", "YWJj"},
        // 57 bytes fill one line exactly, which then ends with its break; one more byte
        // starts a last line of 4 characters without a break.
        {std::string(57, 'A'), Quads(19) + "\r\n"},
        {std::string(58, 'A'), Quads(19) + "\r\nQQ=="},
        {std::string(114, 'A'), Quads(19) + "\r\n" + Quads(19) + "\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(soap::EncodeBase64Lines(Bytes(c.input)), c.expected) << c.input.size();
    }
}

TEST(Base64Lines, MatchesReferenceForEverySizeAroundLinesAndBlocks) {
    for (std::size_t n :
         {1u, 2u, 56u, 57u, 58u, 113u, 114u, 115u, 509u, 510u, 511u, 1020u, 4096u, 100000u}) {
        const auto bytes = Pattern(n);
        const std::string text = soap::EncodeBase64Lines(bytes);
        EXPECT_EQ(text, Reference(bytes)) << n;
        EXPECT_EQ(text.size(), soap::Base64LinesSize(n)) << n;
    }
}

TEST(Base64Lines, PiecesJoinWithoutTrace) {
    const auto bytes = Pattern(5000);
    for (std::size_t piece : {3u, 57u, 510u, 999u}) {
        soap::Base64Lines encoder;
        std::string text;
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            encoder.Append(std::span(bytes).subspan(at, std::min(piece, bytes.size() - at)), text);
        }
        EXPECT_EQ(text, Reference(bytes)) << piece;
    }
}

std::string Text(const std::optional<std::vector<std::uint8_t>>& bytes) {
    return bytes ? std::string(bytes->begin(), bytes->end()) : "<invalid>";
}

TEST(DecodeBase64, ReadsWhatToolkitsSend) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},           {"YWJj", "abc"},       {"YQ==", "a"},
        {"YWI=", "ab"},     {"YW\r\nJj\n", "abc"}, {" YWJj ZGVm\t", "abcdef"},
        {"YWI=\r\n", "ab"},
    };
    for (const auto& [text, bytes] : cases)
        EXPECT_EQ(Text(soap::DecodeBase64(text)), bytes) << text;
    const auto bytes = Pattern(1000);
    EXPECT_EQ(soap::DecodeBase64(soap::EncodeBase64Lines(bytes)), bytes);
}

TEST(DecodeBase64, RefusesInvalidText) {
    for (const char* text : {"YWJ", "Y", "YQ=", "Y===", "=YWJ", "YW=j", "YWI=YWJj", "YWJj!",
                             "YWJj\x80", "YW-j", "YWI==", "YQ==="}) {
        EXPECT_FALSE(soap::DecodeBase64(text).has_value()) << text;
    }
}

}  // namespace
