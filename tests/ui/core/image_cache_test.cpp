#include "ui/core/image_cache.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace ui {
namespace {

// Stands in for an image decoder: makes an image of a fixed size and counts the calls.
struct CountingLoader {
  int calls = 0;
  bool fail = false;
  ImageCache::Loader Get() {
    return [this]() -> std::unique_ptr<ImageInfo> {
      ++calls;
      if (fail) return nullptr;
      auto image = std::make_unique<ImageInfo>();
      image->width = 48;
      image->height = 24;
      return image;
    };
  }
};

TEST(ImageCacheTest, SharesOneImagePerKeyWhileItIsHeld) {
  ImageCache cache;
  CountingLoader loader;
  std::shared_ptr<ImageInfo> first = cache.Acquire(L"a/b.png", loader.Get());
  std::shared_ptr<ImageInfo> second = cache.Acquire(L"a/b.png", loader.Get());
  ASSERT_TRUE(first);
  EXPECT_EQ(first, second);
  EXPECT_EQ(loader.calls, 1);
  EXPECT_EQ(first->path, L"a/b.png");
  EXPECT_TRUE(first->cached);
  EXPECT_EQ(cache.Find(L"a/b.png"), first);
  std::shared_ptr<ImageInfo> other = cache.Acquire(L"a/c.png", loader.Get());
  EXPECT_NE(other, first);
  EXPECT_EQ(loader.calls, 2);
}

TEST(ImageCacheTest, TheLastReleaseDropsTheEntrySoTheNextAcquireDecodesAgain) {
  ImageCache cache;
  CountingLoader loader;
  std::shared_ptr<ImageInfo> first = cache.Acquire(L"k", loader.Get());
  std::shared_ptr<ImageInfo> copy = first;
  first.reset();
  EXPECT_TRUE(cache.Find(L"k"));  // still held by the copy
  copy.reset();
  EXPECT_FALSE(cache.Find(L"k"));
  EXPECT_EQ(loader.calls, 1);
  std::shared_ptr<ImageInfo> again = cache.Acquire(L"k", loader.Get());
  ASSERT_TRUE(again);
  EXPECT_EQ(loader.calls, 2);
  EXPECT_EQ(cache.Find(L"k"), again);
}

TEST(ImageCacheTest, NothingIsStoredForAnEmptyKeyOrAFailedDecode) {
  ImageCache cache;
  CountingLoader loader;
  EXPECT_FALSE(cache.Acquire(L"", loader.Get()));
  EXPECT_EQ(loader.calls, 0);
  loader.fail = true;
  EXPECT_FALSE(cache.Acquire(L"bad.png", loader.Get()));
  EXPECT_FALSE(cache.Acquire(L"bad.png", loader.Get()));
  EXPECT_EQ(loader.calls, 2);  // a failure is not remembered
  EXPECT_FALSE(cache.Find(L"bad.png"));
  EXPECT_FALSE(cache.Acquire(L"none.png", ImageCache::Loader()));
}

TEST(ImageCacheTest, FindNeverLoads) {
  ImageCache cache;
  EXPECT_FALSE(cache.Find(L"never.png"));
  CountingLoader loader;
  EXPECT_TRUE(cache.Acquire(L"never.png", loader.Get()));  // released at once
  EXPECT_FALSE(cache.Find(L"never.png"));
  EXPECT_EQ(loader.calls, 1);
}

TEST(ImageCacheTest, ImagesMayOutliveTheirCache) {
  CountingLoader loader;
  std::shared_ptr<ImageInfo> image;
  {
    ImageCache cache;
    image = cache.Acquire(L"late.png", loader.Get());
  }
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 48);
  image.reset();  // the release finds no cache and only frees the image
}

}  // namespace
}  // namespace ui
