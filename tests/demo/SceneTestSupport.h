#pragma once
// Helpers for scene tests: a private Data folder made the working directory, small content
// files written into it, and a hand-driven millisecond clock.

#include "geometry/Mesh.h"
#include "platform/win32/Windows.h"

#include <filesystem>
#include <initializer_list>

// A fresh folder with an empty "Data" folder inside, the working directory for the life of
// the object (scenes open "Data\..." relative to it). Removed again afterwards.
class ScopedDataFolder {
  public:
    ScopedDataFolder();
    ~ScopedDataFolder();
    ScopedDataFolder(const ScopedDataFolder&) = delete;
    ScopedDataFolder& operator=(const ScopedDataFolder&) = delete;

    // A small 24-bit Windows BMP under `name` (the texture loader goes by the file's content,
    // so a ".jpg" name is fine).
    void WriteImage(const char* name) const;
    // A ".msh" file.
    void WriteMesh(const char* name, std::initializer_list<D3DVECTOR> positions,
                   std::initializer_list<MeshFace> faces) const;
    void Remove(const char* name) const;

  private:
    std::filesystem::path root;
    std::filesystem::path previous;
};

// Replaces the host clock behind timeGetTime while it exists; starts at `start`.
class ScopedClock {
  public:
    explicit ScopedClock(DWORD start);
    ~ScopedClock();
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

    void Set(DWORD milliseconds);
};
