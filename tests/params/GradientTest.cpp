#include "params/Gradient.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include <filesystem>
#include <string>
#include <vector>

#include "image/GradientLoader.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

class GradientLoaderTest : public ::testing::Test {
protected:
    std::string saveStripe(const char* name, int width, QRgb first)
    {
        QImage image(width, 3, QImage::Format_RGB32);
        image.fill(qRgb(0, 0, 0));
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, 0, qRgb(x % 256, 255 - x % 256, 7));
        }
        image.setPixel(0, 0, first);
        const QString path = QString::fromStdString(dir_.filePath(name));
        EXPECT_TRUE(image.save(path, "png"));
        return path.toStdString();
    }

    const ScratchFolder dir_;
    GradientSlot slot_;
};

TEST_F(GradientLoaderTest, LoadedImagePublishesItsTopRowAsUnitColours)
{
    const auto before = slot_.current();
    ASSERT_TRUE(loadGradient(saveStripe("stripe.png", 256, qRgb(255, 0, 128)), slot_));

    const auto table = slot_.current();
    EXPECT_NE(table, before);
    ASSERT_EQ(table->count(), 256);
    EXPECT_EQ((*table)[0].r, 1.0f);
    EXPECT_EQ((*table)[0].g, 0.0f);
    EXPECT_EQ((*table)[0].b, 0.501960814f);
    for (int i = 1; i < 256; ++i) {
        EXPECT_EQ((*table)[i].r, static_cast<float>(i) * kByteToUnit) << i;
        EXPECT_EQ((*table)[i].g, static_cast<float>(255 - i) * kByteToUnit) << i;
        EXPECT_EQ((*table)[i].b, 7 * kByteToUnit) << i;
    }
}

TEST_F(GradientLoaderTest, FailedLoadReportsOnceAndKeepsThePreviousTable)
{
    ASSERT_TRUE(loadGradient(saveStripe("previous.png", 16, qRgb(1, 2, 3)), slot_));
    const auto previous = slot_.current();

    QFile notImage(QString::fromStdString(dir_.filePath("notes.jpg")));
    ASSERT_TRUE(notImage.open(QIODevice::WriteOnly));
    notImage.write("plain text, not a picture");
    notImage.close();
    QFile empty(QString::fromStdString(dir_.filePath("empty.png")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    // Cut a few bytes into its data: the decoder would fill in the rest.
    QImage flat(64, 16, QImage::Format_RGB32);
    flat.fill(qRgb(200, 100, 50));
    QFile jpeg(QString::fromStdString(dir_.filePath("cut.jpg")));
    ASSERT_TRUE(jpeg.open(QIODevice::ReadWrite) && flat.save(&jpeg, "jpeg") && jpeg.seek(0));
    const qsizetype scan = jpeg.readAll().indexOf("\xff\xda");
    ASSERT_GT(scan, 0);
    ASSERT_TRUE(jpeg.resize(scan + 18));
    jpeg.close();

    for (const char* name : {"notes.jpg", "empty.png", "missing.png", "cut.jpg"}) {
        const Result<void> loaded = loadGradient(dir_.filePath(name), slot_);
        EXPECT_EQ(loaded.error(), "Could not load image") << name;
        EXPECT_EQ(slot_.current(), previous) << name;
    }
}

TEST_F(GradientLoaderTest, ShippedGradientSitsBesideTheExecutableAndLoads)
{
    const auto shipped = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "gradient.jpg";
    ASSERT_TRUE(loadGradient(shipped.string(), slot_)) << shipped;

    const auto table = slot_.current();
    ASSERT_EQ(table->count(), 256);
    const auto brightness = [](const Colour& c) { return c.r + c.g + c.b; };
    EXPECT_GT(brightness((*table)[0]), 2.5f) << "the lit end is a light cream";
    EXPECT_LT(brightness((*table)[255]), 0.5f) << "the far end is dark";
    for (int i = 1; i < 256; ++i) {
        EXPECT_LE(brightness((*table)[i]), brightness((*table)[i - 1]) + 0.03f) << "the ramp darkens steadily at " << i;
    }
}

}  // namespace
}  // namespace tessaform
