// A temporary folder for one test, removed with everything in it at the end.
#pragma once

#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Runs the current directory inside a folder for the lifetime of the object.
class ScopedChdir {
public:
    explicit ScopedChdir(const std::string &dir);
    ~ScopedChdir();
    ScopedChdir(const ScopedChdir &) = delete;
    ScopedChdir &operator=(const ScopedChdir &) = delete;

private:
    std::string previous_;
};

std::string ReadFileBytes(const std::string &path);
void WriteFileBytes(const std::string &path, const std::string &bytes);
