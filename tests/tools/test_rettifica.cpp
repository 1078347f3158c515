// The command-line rectifier's refusals: each bad input ends with status 2,
// one line naming what is wrong, and no file written; --help shows every
// option and an example.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/view/picture_writers.h"
#include "tools/u_rettifica.h"

namespace {

using namespace test_pictures;

std::string Sample(const char* name) { return std::string(VEK_SAMPLES_DIR) + "/" + name; }

struct BadCase {
    const char* what;               // a part of the one line
    std::vector<std::string> args;  // with "OUT" for the output, "DIR" for the folder
};

class RettificaRefusal : public DecodeTest, public ::testing::WithParamInterface<BadCase> {};

TEST_P(RettificaRefusal, StatusTwoOneLineNothingWritten) {
    std::vector<std::string> args;
    for (std::string a : GetParam().args) {
        if (a == "OUT") a = dir.File("ric.png");
        if (a.rfind("DIR/", 0) == 0) a = dir.File(a.substr(4));
        args.push_back(a);
    }
    std::ofstream(dir.File("tre.fot")) << "1 10 10 0 0\n2 90 10 8 0\n3 90 90 8 8\n";
    std::ofstream(dir.File("vuota.jpg")) << "";
    const auto before = std::distance(std::filesystem::directory_iterator(dir.File("")), {});
    std::ostringstream out, err;
    EXPECT_EQ(RunRettifica(args, out, err), kRettificaBadInput);
    const std::string line = err.str();
    EXPECT_NE(line.find(GetParam().what), std::string::npos) << line;
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1) << line;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("")), {}), before);
}

std::vector<std::string> Args(std::initializer_list<std::string> change) {
    std::vector<std::string> a = {"--foto",     Sample("facciata.jpg"),
                                  "--immagine", Sample("facciata.imm"),
                                  "--oggetto",  Sample("facciata.ogg"),
                                  "--area",     "1",
                                  "11",         "19",
                                  "1",          "--pixel",
                                  "0.01",       "-o",
                                  "OUT"};
    for (auto it = change.begin(); it != change.end(); it += 2) {
        const auto at = std::find(a.begin(), a.end(), *it);
        *(at + 1) = *(it + 1);
    }
    return a;
}

std::vector<std::string> WithEpsg(const std::string& output, const std::string& code) {
    std::vector<std::string> a = Args({"-o", output});
    a.insert(a.end(), {"--epsg", code});
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, RettificaRefusal,
    ::testing::Values(BadCase{"foto", Args({"--foto", "DIR/manca.jpg"})},
                      BadCase{"file vuoto", Args({"--foto", "DIR/vuota.jpg"})},
                      BadCase{"tabella", Args({"--oggetto", "DIR/manca.ogg"})},
                      BadCase{"almeno quattro",
                              {"--foto", Sample("facciata.jpg"), "--unione", "DIR/tre.fot",
                               "--area", "1", "11", "19", "1", "--pixel", "0.01", "-o", "OUT"}},
                      BadCase{"dimensione nulla", Args({"--area", "19"})},
                      BadCase{"--pixel", Args({"--pixel", "0"})},
                      BadCase{"--pixel", Args({"--pixel", "-0.01"})},
                      BadCase{"--pixel", Args({"--pixel", "un centimetro"})},
                      BadCase{"XIN", Args({"--area", "uno"})},
                      BadCase{".bmp, .png o .tif", Args({"-o", "DIR/ric.jpg"})},
                      BadCase{"EPSG", WithEpsg("DIR/ric.tif", "3.5")},
                      BadCase{"solo per", WithEpsg("OUT", "32632")},
                      BadCase{"sconosciuta", {"--scala", "2"}}, BadCase{"manca --foto", {}}));

TEST(RettificaHelp, EveryOptionAndAnExample) {
    std::ostringstream out, err;
    EXPECT_EQ(RunRettifica({"--help"}, out, err), kRettificaOk);
    for (const char* option : {"--foto", "--unione", "--immagine", "--oggetto", "--area", "--pixel",
                               "--interpolazione", "--epsg", "-o ", "samples/facciata"})
        EXPECT_NE(out.str().find(option), std::string::npos) << option;
}

}  // namespace
