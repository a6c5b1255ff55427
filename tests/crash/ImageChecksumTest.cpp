#include <gtest/gtest.h>

#include <vector>

#include "crash/ImageChecksum.h"

namespace {

// A made-up image: "MZ", the header offset, "PE\0\0" and room for the field.
std::vector<std::uint8_t> Image(std::size_t size) {
  std::vector<std::uint8_t> bytes(size, 0);
  bytes[0] = 'M';
  bytes[1] = 'Z';
  bytes[0x3c] = 0x40;
  bytes[0x40] = 'P';
  bytes[0x41] = 'E';
  return bytes;
}

TEST(ImageChecksum, FindsTheFieldOnlyInAnImage) {
  std::vector<std::uint8_t> image = Image(0x100);
  ASSERT_EQ(ImageChecksumOffset(image.data(), image.size()), std::optional<std::size_t>(0x40 + 24 + 64));
  EXPECT_FALSE(ImageChecksumOffset(image.data(), 0x90));  // the field would run past the end
  image[0x41] = 'X';
  EXPECT_FALSE(ImageChecksumOffset(image.data(), image.size()));
  image = Image(0x100);
  image[0x3c] = 0xff;
  image[0x3d] = 0xff;
  EXPECT_FALSE(ImageChecksumOffset(image.data(), image.size()));
}

TEST(ImageChecksum, SumsWordsWithCarriesFoldedInPlusTheLength) {
  // Two words that carry: 0xffff + 0x0002 = 0x10001, folded to 0x0002.
  const std::uint8_t words[] = {0xff, 0xff, 0x02, 0x00};
  EXPECT_EQ(ImageFileChecksum(words, sizeof words, 100), 0x0002u + 4);
  // An odd length: the last byte counts as a word of its own.
  const std::uint8_t odd[] = {0x01, 0x00, 0x05};
  EXPECT_EQ(ImageFileChecksum(odd, sizeof odd, 100), 0x0006u + 3);
  // The field itself never counts, whatever it holds.
  std::vector<std::uint8_t> image = Image(0x100);
  const std::size_t field = *ImageChecksumOffset(image.data(), image.size());
  const std::uint32_t before = ImageFileChecksum(image.data(), image.size(), field);
  image[field] = 0x12;
  image[field + 3] = 0x34;
  EXPECT_EQ(ImageFileChecksum(image.data(), image.size(), field), before);
  image[0x90] = 1;
  EXPECT_EQ(ImageFileChecksum(image.data(), image.size(), field), before + 1);
}

}  // namespace
