#include "frame/DataFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "frame/CommandLine.h"

namespace fs = std::filesystem;

namespace {

// A throw-away tree laid out like an installed prefix: root/bin (where the program would be)
// and root/share/verdanth; each test makes the images/ folders it needs.
class DataFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "verdanth_data_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = fs::canonical(pattern).string();
        fs::create_directories(root + "/bin");
        fs::create_directories(root + "/share/verdanth");
        fs::create_directories(root + "/elsewhere");
        program = root + "/bin/verdanth";
        startFolder = fs::current_path().string();
    }
    void TearDown() override {
        fs::current_path(startFolder);
        unsetenv(kDataEnvironmentVariable);
        fs::remove_all(root);
    }
    void makeImages(const std::string& folder) { fs::create_directories(folder + "/images"); }

    std::string root, program, startFolder;
};

TEST_F(DataFolderTest, LookupOrderIsOwnFolderThenShareThenInstalledFolder) {
    const std::string installed = root + "/elsewhere";
    const auto candidates = dataFolderCandidates(program, installed);
    ASSERT_EQ(candidates, (std::vector<std::string>{root + "/bin", root + "/share/verdanth", installed}));
    // The installed folder is not listed twice when the program sits in its own prefix.
    EXPECT_EQ(dataFolderCandidates(program, root + "/share/verdanth").size(), 2u);
    EXPECT_EQ(dataFolderCandidates("/verdanth", "").front(), "/");

    const DataFolderChoice none = chooseDataFolder("", "", candidates);
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.error, "no data folder found (no images/ folder in " + root + "/bin, " + root +
                              "/share/verdanth or " + installed + "); name one with --data DIR");
    makeImages(installed);
    EXPECT_EQ(chooseDataFolder("", "", candidates).folder, installed);
    makeImages(root + "/share/verdanth");
    EXPECT_EQ(chooseDataFolder("", "", candidates).folder, root + "/share/verdanth");
    makeImages(root + "/bin");  // the build folder: data next to the program wins
    EXPECT_EQ(chooseDataFolder("", "", candidates).folder, root + "/bin");
}

TEST_F(DataFolderTest, NamedFolderMustHoldImagesAndWinsOverTheCandidates) {
    makeImages(root + "/bin");
    const std::string named = root + "/elsewhere";
    std::ofstream(root + "/file") << "x";
    const struct {
        std::string folder, namedBy, error;
    } refused[] = {
        {named, "--data", "--data " + named + ": no images/ folder in it (the data folder holds images/ and music/)"},
        {root + "/missing", "--data", "--data " + root + "/missing: no such folder"},
        {root + "/file", "VERDANTH_DATA", "VERDANTH_DATA=" + root + "/file: not a folder"},
    };
    for (const auto& r : refused) {
        const DataFolderChoice choice = chooseDataFolder(r.folder, r.namedBy, {root + "/bin"});
        EXPECT_EQ(choice.error, r.error);
        EXPECT_EQ(choice.status, 2) << r.folder;
        EXPECT_EQ(choice.folder, "") << r.folder;
    }
    makeImages(named);  // images/ without music/ is enough: the music has its own warning
    EXPECT_EQ(chooseDataFolder(named, "--data", {root + "/bin"}).folder, named);
}

TEST_F(DataFolderTest, UserPathsAreTakenFromTheStartFolder) {
    EXPECT_EQ(absolutePath("caps", "/home/me"), "/home/me/caps");
    EXPECT_EQ(absolutePath("./out/clip.mp4", "/home/me"), "/home/me/out/clip.mp4");
    EXPECT_EQ(absolutePath(".", "/home/me"), "/home/me");
    EXPECT_EQ(absolutePath("caps", "/"), "/caps");
    EXPECT_EQ(absolutePath("/abs/caps", "/home/me"), "/abs/caps");
    EXPECT_EQ(absolutePath("", "/home/me"), "");

    fs::current_path(root + "/elsewhere");
    Options o = parseCommandLine({"--capture", "caps", "--data", "/d"});
    Options v = parseCommandLine({"--video", "clip.mp4", "--data", "../share/verdanth"});
    makeUserPathsAbsolute(&o);
    makeUserPathsAbsolute(&v);
    EXPECT_EQ(o.error, "");
    EXPECT_EQ(o.captureDir, root + "/elsewhere/caps");
    EXPECT_EQ(o.dataDir, "/d");
    EXPECT_EQ(v.videoFile, root + "/elsewhere/clip.mp4");
    EXPECT_EQ(v.dataDir, root + "/elsewhere/../share/verdanth");
    EXPECT_EQ(parseCommandLine({"--data", ""}).error, "--data needs a folder");
}

TEST_F(DataFolderTest, EnteringTakesDataOptionThenVariable) {
    makeImages(root + "/share/verdanth");
    makeImages(root + "/elsewhere");
    setenv(kDataEnvironmentVariable, (root + "/share/verdanth").c_str(), 1);
    Options o;
    ASSERT_EQ(enterDataFolder(o, "verdanth"), 0);
    EXPECT_EQ(fs::current_path().string(), root + "/share/verdanth");
    o.dataDir = root + "/elsewhere";
    ASSERT_EQ(enterDataFolder(o, "verdanth"), 0);
    EXPECT_EQ(fs::current_path().string(), root + "/elsewhere");
    o.dataDir = root + "/bin";  // no images/ there: refused, and the folder stays
    EXPECT_EQ(enterDataFolder(o, "verdanth"), 2);
    EXPECT_EQ(fs::current_path().string(), root + "/elsewhere");
}

}  // namespace
