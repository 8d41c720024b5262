#include "platform/win32/OpenedFile.h"
#include "platform/win32/Windows.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class FilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("vellomire-files-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(root / "Data");
        previous = fs::current_path();
        fs::current_path(root);
    }
    void TearDown() override {
        fs::current_path(previous);
        fs::remove_all(root);
    }

    static void Write(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    static HANDLE Open(const char* name) {
        return CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    static std::string ReadAll(HANDLE file, DWORD count) {
        std::string bytes(count, '\0');
        DWORD got = 0;
        EXPECT_TRUE(ReadFile(file, bytes.data(), count, &got, nullptr));
        EXPECT_EQ(got, count);
        return bytes;
    }

    fs::path root;
    fs::path previous;
};

TEST_F(FilesTest, WindowsPathsFindTheFileWhateverTheCaseOfItsName) {
    Write("Data/Bol.msh", "bol");
    for (const char* name : {"Data\\Bol.msh", "Data/Bol.msh", "Data\\bol.MSH", "Data\\BOL.MSH"}) {
        SCOPED_TRACE(name);
        HANDLE file = Open(name);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        EXPECT_EQ(ReadAll(file, 3), "bol");
        EXPECT_TRUE(CloseHandle(file));
    }
}

TEST_F(FilesTest, TheExactNameWinsOverOneThatDiffersInCase) {
    Write("Data/tex.bmp", "lower");
    Write("Data/TEX.bmp", "upper");
    HANDLE file = Open("Data\\TEX.bmp");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadAll(file, 5), "upper");
    CloseHandle(file);
}

TEST_F(FilesTest, FoldersMatchIgnoringCaseTooAndPathOpenedForNamesTheFileOpened) {
    fs::rename("Data", "DATA");
    fs::create_directories("DATA/Sub");
    Write("DATA/Sub/Bol.msh", "bol");
    const struct {
        const char* name;
        const char* hostPath; // "" when nothing opens
    } cases[] = {
        {"Data\\Sub\\bol.MSH", "DATA/Sub/Bol.msh"},
        {"data/SUB/Bol.msh", "DATA/Sub/Bol.msh"},
        {"Data\\Missing.msh", ""},
        {"Data\\Sub", ""}, // a folder is not a file
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PathOpenedFor(c.name), c.hostPath);
        HANDLE file = Open(c.name);
        EXPECT_EQ(file != INVALID_HANDLE_VALUE, *c.hostPath != '\0');
        if (file != INVALID_HANDLE_VALUE) {
            EXPECT_EQ(ReadAll(file, 3), "bol");
            CloseHandle(file);
        }
    }
    EXPECT_EQ(Open(nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(PathOpenedFor(nullptr), "");
}

TEST_F(FilesTest, ReadOnlyFilesOpenEvenWhenWriteAccessIsAsked) {
    Write("Data/Locked.raw", "abc");
    fs::permissions("Data/Locked.raw", fs::perms::owner_read | fs::perms::group_read);
    HANDLE file = CreateFileA("Data\\Locked.raw", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadAll(file, 3), "abc");
    CloseHandle(file);
    fs::permissions("Data/Locked.raw", fs::perms::owner_all);
}

TEST_F(FilesTest, AShortReadFailsAndTellsHowManyBytesArrived) {
    Write("Data/Ten.bin", "0123456789");
    HANDLE file = Open("Data\\Ten.bin");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char buffer[8] = {};
    DWORD got = 99;
    EXPECT_TRUE(ReadFile(file, buffer, 8, &got, nullptr));
    EXPECT_EQ(got, 8u);
    EXPECT_FALSE(ReadFile(file, buffer, 8, &got, nullptr));
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(std::string(buffer, 2), "89");
    EXPECT_TRUE(ReadFile(file, buffer, 0, &got, nullptr)); // nothing asked, nothing missing
    EXPECT_TRUE(CloseHandle(file));
}

TEST_F(FilesTest, ClosedAndForeignHandlesAreRefused) {
    Write("Data/A.bin", "a");
    HANDLE file = Open("Data\\A.bin");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(CloseHandle(file));
    char byte = 0;
    DWORD got = 0;
    EXPECT_FALSE(ReadFile(file, &byte, 1, &got, nullptr));
    EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, &byte, 1, &got, nullptr));
    EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(CloseHandle(nullptr));
}

// A named pipe with no writer would block a plain open for ever; these come back at once.
TEST_F(FilesTest, PipesDevicesAndSocketsAreRefusedWithoutWaiting) {
    ASSERT_EQ(mkfifo("Data/Pipe.jpg", 0600), 0);
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, "Data/Socket.bmp");
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    for (const char* name :
         {"Data\\Pipe.jpg", "Data\\pipe.JPG", "Data\\Socket.bmp", "/dev/null", "/dev/zero"}) {
        EXPECT_EQ(Open(name), INVALID_HANDLE_VALUE) << name;
    }
    close(listener);
}

// Sizes and positions past 4 GiB are not cut to 32 bits (the file is sparse: no disk used).
TEST_F(FilesTest, FilesOfFourGibibytesAndMoreAreMeasuredAndReadWhereAsked) {
    constexpr std::int64_t far = (std::int64_t{1} << 32) + 5;
    {
        std::ofstream out("Data/Huge.bin", std::ios::binary);
        out.seekp(far);
        out << "tail";
    }
    HANDLE file = Open("Data\\Huge.bin");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size{};
    ASSERT_TRUE(GetFileSizeEx(file, &size));
    EXPECT_EQ(size.QuadPart, far + 4);
    LARGE_INTEGER reached{};
    ASSERT_TRUE(SetFilePointerEx(file, LARGE_INTEGER{far}, &reached, FILE_BEGIN));
    EXPECT_EQ(reached.QuadPart, far);
    EXPECT_EQ(ReadAll(file, 4), "tail");
    ASSERT_TRUE(SetFilePointerEx(file, LARGE_INTEGER{-4}, &reached, FILE_END));
    EXPECT_EQ(reached.QuadPart, far);
    EXPECT_FALSE(SetFilePointerEx(file, LARGE_INTEGER{-1}, nullptr, FILE_BEGIN));
    CloseHandle(file);
}

TEST_F(FilesTest, OnlyExistingFilesAreOpenedNothingIsCreated) {
    constexpr DWORD createAlways = 2;
    EXPECT_EQ(CreateFileA("Data\\New.bin", GENERIC_WRITE, 0, nullptr, createAlways, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_FALSE(fs::exists("Data/New.bin"));
}

} // namespace
