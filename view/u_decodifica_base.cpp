#include "view/u_decodifica_base.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace {

unsigned long long PhysicalMemoryBytes() {
#if defined(_SC_PHYS_PAGES) && defined(_SC_PAGESIZE)
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0)
        return static_cast<unsigned long long>(pages) * static_cast<unsigned long long>(pageSize);
#endif
    return 0;  // unknown: leave it to the allocation
}

std::string SizeText(long long width, long long height) {
    return std::to_string(width) + " × " + std::to_string(height);
}

}  // namespace

namespace decode_detail {

DecodeResult Failure(DecodeStatus status, std::string reason) {
    DecodeResult r;
    r.status = status;
    r.reason = std::move(reason);
    return r;
}

DecodeResult SizeFailure(DecodeStatus status, long long width, long long height) {
    if (status == DecodeStatus::OutOfMemory)
        return Failure(status, "memoria insufficiente per un'immagine di " +
                                   SizeText(width, height) + " pixel");
    return Failure(status, "dimensioni non valide (" + SizeText(width, height) + ")");
}

void ReportProgress(const DecodeProgress* progress, int& last, long long done, long long total) {
    if (!progress || !*progress || total <= 0) return;
    const int percent = static_cast<int>(std::clamp<long long>(done * 100 / total, 0, 100));
    if (percent == last) return;
    last = percent;
    (*progress)(percent);
}

FilePtr OpenPictureFile(const std::string& path, unsigned long long& size, DecodeResult& failure) {
    std::error_code ec;
    const std::filesystem::path p(path);
    if (!std::filesystem::is_regular_file(p, ec)) {
        failure = Failure(DecodeStatus::CannotRead, kCannotReadText);
        return nullptr;
    }
    size = std::filesystem::file_size(p, ec);
    if (ec) {
        failure = Failure(DecodeStatus::CannotRead, kCannotReadText);
        return nullptr;
    }
    if (size == 0) {
        failure = Failure(DecodeStatus::EmptyFile, kEmptyFileText);
        return nullptr;
    }
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f) failure = Failure(DecodeStatus::CannotRead, kCannotReadText);
    return f;
}

}  // namespace decode_detail

DecodeStatus CheckPictureSize(long long width, long long height) {
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
        width * height > kMaxPicturePixels)
        return DecodeStatus::InvalidDimensions;
    const unsigned long long physical = PhysicalMemoryBytes();
    const unsigned long long bytes = static_cast<unsigned long long>(width * height) * 4;
    if (physical != 0 && bytes > physical) return DecodeStatus::OutOfMemory;
    return DecodeStatus::Ok;
}
