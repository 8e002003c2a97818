// Whole lines appended: a new file is never one that exists, a write cut
// short by a limit is taken back so that the file ends in a whole line, and
// a full device is an error in plain words.
#include "line_appender.h"

#include "file_error.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <string>

using karwen::files::FileError;
using karwen::files::LineAppender;
using karwen::test::readBytes;
using karwen::test::ScratchFolder;
using karwen::test::writeBytes;

namespace {

TEST(LineAppender, AppendsWholeLinesOrNothing)
{
    ScratchFolder dir;
    const std::string path = (dir / "rows.csv").string();
    {
        LineAppender rows(path, LineAppender::Open::CreateNew);
        rows.append("header\r\n");
        rows.append("one\r\n");
        rows.close();
    }
    EXPECT_EQ(readBytes(path), "header\r\none\r\n");
    EXPECT_THROW(LineAppender(path, LineAppender::Open::CreateNew), FileError);
    EXPECT_EQ(readBytes(path), "header\r\none\r\n");

    // A file size limit lets a long line out only in part: it is taken back.
    const auto oldAction = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string failure;
    {
        LineAppender rows(path, LineAppender::Open::Existing);
        try {
            rows.append(std::string(100, 'x') + "\r\n");
        } catch (const FileError& e) {
            failure = e.what();
        }
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldAction);
    EXPECT_TRUE(failure.starts_with("Cannot write '" + path + "': ")) << failure;
    EXPECT_EQ(readBytes(path), "header\r\none\r\n");
}

TEST(LineAppender, AFullDeviceIsAnError)
{
    const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        GTEST_SKIP() << "no /dev/full here";
    std::string failure;
    {
        LineAppender out(fd, "the full device");
        try {
            out.append("row\r\n");
        } catch (const FileError& e) {
            failure = e.what();
        }
    }
    ::close(fd);
    EXPECT_TRUE(failure.starts_with("Cannot write 'the full device': ")) << failure;
}

} // namespace
