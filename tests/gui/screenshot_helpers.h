// Saving PNG pictures of widgets into $VANT_SCREENSHOT_DIR, else build/screenshots.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

inline std::filesystem::path ScreenshotDirectory()
{
    const char* chosen = std::getenv("VANT_SCREENSHOT_DIR");
    std::filesystem::path directory = chosen && *chosen ? chosen : VANT_DEFAULT_SCREENSHOT_DIR;
    std::filesystem::create_directories(directory);
    return directory;
}

// Saves a picture of widget and reads it back.
inline void Shoot(QWidget* widget, const char* name)
{
    const auto path = ScreenshotDirectory() / name;
    const QPixmap picture = widget->grab();
    ASSERT_FALSE(picture.isNull()) << name;
    ASSERT_TRUE(picture.save(QString::fromStdString(path.string()), "PNG")) << path;
    const QImage saved(QString::fromStdString(path.string()));
    EXPECT_EQ(saved.size(), picture.size()) << path;
}
