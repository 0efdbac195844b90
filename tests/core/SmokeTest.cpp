#include "platform/PathCodec.h"

#include <gtest/gtest.h>

TEST(PathCodec, KeepsBytesThatAreNotUtf8) {
    const QByteArray raw("caf\xe9-\xc3\xa9-\xff.txt");
    const QString decoded = PathCodec::Decode(raw);
    EXPECT_EQ(PathCodec::Encode(decoded), raw);
    EXPECT_TRUE(decoded.contains(QChar(0x00E9)));  // the valid sequence decodes as usual
}
