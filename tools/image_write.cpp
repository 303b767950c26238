// Writing the tool's outputs: through a temporary file beside the target,
// renamed into place when complete, or to standard output for "-".
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "codecs.h"
#include "image_io.h"
#include "interrupts.h"

namespace orvex_tool {
namespace {

[[noreturn]] void Fail(ExitStatus status, const std::string& path, const std::string& what) {
    throw ToolError(status, path + ": " + what);
}

bool IsStream(const std::string& path) {
    return path == "-";
}

void WriteAll(int fd, const std::vector<uint8_t>& bytes, const std::string& name) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) Fail(kOutputError, name, std::strerror(errno));
        done += size_t(n);
    }
}

// A temporary file beside the target that is removed unless committed.
class PendingFile {
  public:
    explicit PendingFile(const std::string& target) : target_(target) {
        const size_t slash = target.find_last_of('/');
        const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
        const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
        temp_ = dir + "." + base + ".tmp-XXXXXX";
        const auto lock = LockTemporaries();
        fd_ = mkstemp(temp_.data());
        if (fd_ < 0) Fail(kOutputError, target, std::strerror(errno));
        AddTemporary(temp_);
    }
    ~PendingFile() {
        if (fd_ >= 0) close(fd_);
        const auto lock = LockTemporaries();
        if (!committed_) unlink(temp_.c_str());
        DropTemporary(temp_);
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    void Write(const std::vector<uint8_t>& bytes) { WriteAll(fd_, bytes, target_); }

    // For writers that close the file themselves; Commit() then only renames.
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

    void Commit(bool overwrite) {
        const int fd = fd_;
        fd_ = -1;
        if (fd >= 0 && (fsync(fd) != 0 || close(fd) != 0))
            Fail(kOutputError, target_, std::strerror(errno));
        fchmodat(AT_FDCWD, temp_.c_str(), 0644, 0);
        const auto lock = LockTemporaries();
        if (!overwrite) {
            // link() fails if the target appeared meanwhile: never replaced silently.
            if (link(temp_.c_str(), target_.c_str()) != 0)
                Fail(kOutputError, target_,
                     errno == EEXIST ? "exists (use --force to replace it)" : std::strerror(errno));
            unlink(temp_.c_str());
        } else if (rename(temp_.c_str(), target_.c_str()) != 0) {
            Fail(kOutputError, target_, std::strerror(errno));
        }
        committed_ = true;
    }

  private:
    std::string target_, temp_;
    int fd_ = -1;
    bool committed_ = false;
};

std::vector<uint8_t> RawSampleBytes(const Raster& image) {
    const bool wide = image.StoredBits() == 16;
    std::vector<uint8_t> bytes;
    bytes.reserve(image.samples.size() * (wide ? 2 : 1));
    for (uint16_t v : image.samples) {
        bytes.push_back(static_cast<uint8_t>(v));
        if (wide) bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    return bytes;
}

}  // namespace

void CheckWritable(const std::string& path, bool overwrite) {
    struct stat st {};
    if (!IsStream(path) && !overwrite && stat(path.c_str(), &st) == 0)
        Fail(kOutputError, path, "exists (use --force to replace it)");
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes, bool overwrite) {
    if (IsStream(path)) return WriteAll(STDOUT_FILENO, bytes, "standard output");
    CheckWritable(path, overwrite);
    PendingFile file(path);
    file.Write(bytes);
    file.Commit(overwrite);
}

void WriteImage(const std::string& path, const Raster& image, Container container, bool overwrite,
                int pngLevel) {
    CheckWritable(path, overwrite);
    switch (container) {
        case Container::Png:
            return WriteBytes(path, EncodePng(image, pngLevel), overwrite);
        case Container::Pgm:
        case Container::Ppm:
            return WriteBytes(path, EncodePnm(image), overwrite);
        case Container::Tiff: {
            if (IsStream(path))
                return WriteBytes(path, EncodeTiff(image, "standard output"), false);
            PendingFile file(path);
            WriteTiff(file.Release(), image, path);
            file.Commit(overwrite);
            return;
        }
        case Container::Raw:
            return WriteBytes(path, RawSampleBytes(image), overwrite);
    }
}

}  // namespace orvex_tool
