#pragma once

namespace kestrune::platform {

// Owns one open file descriptor and closes it when it goes; -1 is none.
class FileDescriptor {
public:
    explicit FileDescriptor(int ADescriptor) : FDescriptor(ADescriptor) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&&) = delete;
    FileDescriptor& operator=(FileDescriptor&&) = delete;

    int Get() const { return FDescriptor; }
    bool Valid() const { return FDescriptor >= 0; }

private:
    int FDescriptor;
};

} // namespace kestrune::platform
