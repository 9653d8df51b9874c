// Which trace formats may be handed a Java call's strings.
#include "jni/string_format_check.h"

#include <gtest/gtest.h>

TEST(StringFormatCheck, OnlyStringConversionsWithinTheArgumentCountPass) {
    for (const char* format : {"", "plain text", "100%% sure", "%s", "%s-%s", "%-10s|%.3s|%4.2s", "%s%s%s%s%s",
                               "%5$s %1$s %5$s", "%%s%%d", static_cast<const char*>(nullptr)})
        EXPECT_TRUE(qm::IsStringArgumentFormat(format, 5)) << (format ? format : "null");
    for (const char* format : {"%d", "%n", "%ls", "%*s", "%.*s", "%s%s%s%s%s%s", "%6$s", "%0$s", "%1$s %s",
                               "%s %1$s", "trailing %", "%p", "%c", "%hs", "%#s"})
        EXPECT_FALSE(qm::IsStringArgumentFormat(format, 5)) << format;
    EXPECT_FALSE(qm::IsStringArgumentFormat("%s", 0) || qm::IsStringArgumentFormat("%s%s", 1));
}
