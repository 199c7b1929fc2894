// Helpers shared by the crypto tests: hex strings, deterministic random bytes and
// OpenSSL's libcrypto as an independent reference.
#pragma once

#include <openssl/evp.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

inline Bytes FromHex(const std::string& hex)
{
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<unsigned char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return out;
}

inline std::string ToHex(const unsigned char* data, size_t size)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < size; ++i) {
        out.push_back(kDigits[data[i] >> 4]);
        out.push_back(kDigits[data[i] & 0xF]);
    }
    return out;
}

inline std::string ToHex(const Bytes& data) { return ToHex(data.data(), data.size()); }

inline Bytes RandomBytes(size_t size, uint32_t seed)
{
    std::mt19937 engine(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    Bytes out(size);
    for (auto& b : out)
        b = static_cast<unsigned char>(byte(engine));
    return out;
}

inline const EVP_CIPHER* OpenSslCipher(const char* mode, size_t keyLength)
{
    const std::string name = std::string("aes-") + std::to_string(keyLength * 8) + "-" + mode;
    const EVP_CIPHER* cipher = EVP_get_cipherbyname(name.c_str());
    if (cipher == nullptr)
        throw std::runtime_error("libcrypto lacks " + name);
    return cipher;
}

// Runs libcrypto over data without padding; mode is "ecb", "cbc", "cfb" (full-block
// feedback) or "ofb".
inline Bytes OpenSslCrypt(const char* mode, bool encrypt, const Bytes& key, const Bytes& iv, const Bytes& data)
{
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    Bytes out(data.size() + 32);
    int written = 0;
    int finalWritten = 0;
    const bool ok =
        EVP_CipherInit_ex(ctx, OpenSslCipher(mode, key.size()), nullptr, key.data(), iv.empty() ? nullptr : iv.data(),
                          encrypt ? 1 : 0) == 1 &&
        EVP_CIPHER_CTX_set_padding(ctx, 0) == 1 &&
        EVP_CipherUpdate(ctx, out.data(), &written, data.data(), static_cast<int>(data.size())) == 1 &&
        EVP_CipherFinal_ex(ctx, out.data() + written, &finalWritten) == 1;
    EVP_CIPHER_CTX_free(ctx);
    if (!ok)
        throw std::runtime_error("libcrypto cipher failed");
    out.resize(static_cast<size_t>(written + finalWritten));
    return out;
}

inline Bytes OpenSslMd5(const Bytes& data)
{
    Bytes out(EVP_MAX_MD_SIZE);
    unsigned int size = 0;
    if (EVP_Digest(data.data(), data.size(), out.data(), &size, EVP_md5(), nullptr) != 1)
        throw std::runtime_error("libcrypto md5 failed");
    out.resize(size);
    return out;
}
