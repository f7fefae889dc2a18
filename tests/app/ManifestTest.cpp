// The manifest built into the program (and into every test exe, from the same
// resource script): this build's own processor for the program and the assemblies
// it binds to, which real Windows checks and Wine does not.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Manifest()
{
    const HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    if (!found)
        return std::string();
    const auto* text = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    return text ? std::string(text, SizeofResource(nullptr, found)) : std::string();
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

}  // namespace

TEST(Manifest, NamesThisBuildsProcessorAndAsksForPerMonitorScalingAndLongPaths)
{
    const std::string manifest = Manifest();
    ASSERT_FALSE(manifest.empty());
    const std::string processor =
        sizeof(void*) == 8 ? "processorArchitecture=\"amd64\"" : "processorArchitecture=\"x86\"";
    // The program, the common controls and GDI+.
    EXPECT_EQ(Count(manifest, processor), 3u);
    EXPECT_EQ(Count(manifest, "processorArchitecture="), 3u);
    EXPECT_EQ(Count(manifest, "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
                              "PerMonitorV2, PerMonitor</dpiAwareness>"),
              1u);
    EXPECT_EQ(Count(manifest, ">true/pm</dpiAware>"), 1u);
    EXPECT_EQ(Count(manifest, ">true</longPathAware>"), 1u);
    // Windows 7, 8, 8.1 and 10/11.
    for (const char* id : {"35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                           "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_EQ(Count(manifest, std::string("<supportedOS Id=\"{") + id + "}\"/>"), 1u) << id;
}
