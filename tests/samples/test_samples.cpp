// The committed sample data set against its generator and its ground truth:
// the files a user opens must be the ones the generator writes today, and
// the photograph, the tables and the homography must tell the same story.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "samples/facade.h"
#include "samples/sample_files.h"
#include "tables/u_omnia.h"
#include "tests/view/picture_writers.h"
#include "view/u_decodifica.h"

namespace {

std::string Committed(const std::string& name) {
    return (std::filesystem::path(VEK_SAMPLES_DIR) / name).string();
}

std::vector<TablePoint> ReadCommitted(const std::string& name, const std::string& keyword) {
    TableRead read;
    EXPECT_EQ(ReadTableFile(Committed(name), keyword, read), TableIo::Ok) << name;
    EXPECT_TRUE(read.issues.empty()) << name;
    return read.points;
}

}  // namespace

TEST(Samples, RegeneratedTextFilesMatchTheCommittedOnes) {
    test_pictures::TempDir dir;
    ASSERT_TRUE(WriteSampleTexts(dir.File("")).Ok());
    for (const std::string& name : SampleTextFiles()) {
        const auto fresh = test_pictures::ReadFile(dir.File(name));
        EXPECT_FALSE(fresh.empty()) << name;
        EXPECT_EQ(fresh, test_pictures::ReadFile(Committed(name))) << name;
    }
}

TEST(Samples, TablesAndEdgesAgreeWithTheCommittedHomography) {
    const std::vector<TablePoint> params = ReadCommitted("facciata_omografia.txt", "nxy");
    ASSERT_EQ(params.size(), 8u);
    Projective direct, inverse;
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(params[k].name, "p" + std::to_string(k + 1));
        direct.p[k] = params[k].coord[0];
        inverse.p[k] = params[k].coord[1];
    }
    const std::vector<TablePoint> object = ReadCommitted("facciata.ogg", "nxy_1");
    const std::vector<TablePoint> image = ReadCommitted("facciata.imm", "nxy");
    ASSERT_EQ(object.size(), static_cast<size_t>(TargetCount));
    ASSERT_EQ(image.size(), object.size());
    for (size_t i = 0; i < object.size(); ++i) {
        SCOPED_TRACE(object[i].name);
        EXPECT_EQ(image[i].name, object[i].name);
        const auto pixel = inverse.Apply(object[i].coord[0], object[i].coord[1]);
        ASSERT_TRUE(pixel);
        // The table holds the pixel a user clicks: the true position rounded.
        EXPECT_LE(std::fabs(pixel->x - image[i].coord[0]), 0.5L);
        EXPECT_LE(std::fabs(pixel->y - image[i].coord[1]), 0.5L);
        const auto back = direct.Apply(pixel->x, pixel->y);
        ASSERT_TRUE(back);
        EXPECT_NEAR(back->x, object[i].coord[0], 1e-9);
        EXPECT_NEAR(back->y, object[i].coord[1], 1e-9);
    }
    // Each edge, brought back to the facade, keeps its one constant coordinate
    // (a horizontal edge its Y, a vertical one its X) to within 2 cm.
    const std::vector<TablePoint> edges = ReadCommitted("facciata_rette.txt", "nxyxy");
    ASSERT_EQ(edges.size(), FacadeEdges().size());
    for (size_t i = 0; i < edges.size(); ++i) {
        const FacadeEdge& truth = FacadeEdges()[i];
        SCOPED_TRACE(truth.name);
        EXPECT_EQ(edges[i].name, truth.name);
        const bool horizontal = truth.name[0] == 'o';
        for (int end = 0; end < 2; ++end) {
            const auto p = direct.Apply(edges[i].coord[2 * end], edges[i].coord[2 * end + 1]);
            ASSERT_TRUE(p);
            const PlanePoint& t = end == 0 ? truth.from : truth.to;
            EXPECT_NEAR(horizontal ? p->y : p->x, horizontal ? t.y : t.x, 0.02);
        }
    }
}

TEST(Samples, CommittedPictureDecodesToTheRenderedFacade) {
    const DecodeResult picture = DecodePicture(Committed(kSamplePicture));
    ASSERT_TRUE(picture.Ok()) << picture.reason;
    EXPECT_FALSE(picture.damaged);
    ASSERT_EQ(picture.raster.Width(), SampleWidth);
    ASSERT_EQ(picture.raster.Height(), SampleHeight);
    auto channels = [&picture](long long x, long long y) {
        const uint32_t v = picture.raster.Row(static_cast<int>(y))[x];
        return std::array<int, 3>{int(v >> 16 & 255), int(v >> 8 & 255), int(v & 255)};
    };
    // Away from sharp edges the decoded picture is the rendering up to the
    // JPEG's own loss (measured: mean 0.5 levels, at most 9).
    double sum = 0;
    int count = 0, worst = 0;
    for (int y = 5; y < SampleHeight; y += 41)
        for (int x = 7; x < SampleWidth; x += 41) {
            const auto o = ImageToObject(x, y);
            if (!o || NearTextureEdge(o->x, o->y, 0.05L)) continue;
            const auto rendered = RenderPixel(x, y, 4);
            const auto decoded = channels(x, y);
            for (int c = 0; c < 3; ++c) {
                const int e = std::abs(decoded[c] - rendered[c]);
                sum += e;
                worst = std::max(worst, e);
                ++count;
            }
        }
    ASSERT_GT(count, 3000);
    EXPECT_LT(sum / count, 1.5);
    EXPECT_LE(worst, 16);
    // Each target's black disc is where the camera puts it.
    for (const FacadeTarget& t : FacadeTargets()) {
        const auto p = ObjectToImage(t.X + 0.06L, t.Y);
        const auto c = channels(std::llround(p->x), std::llround(p->y));
        EXPECT_LT(c[0] + c[1] + c[2], 3 * 70) << t.name;
    }
}
