#include "platform/serial/port_map.h"

#include <gtest/gtest.h>

namespace {

TEST(PortMap, ParsesComNEqualsPath) {
  struct Case {
    const char* value;
    const char* name;
    const char* path;
  };
  const Case accepted[] = {
      {"COM1=/dev/ttyUSB0", "COM1", "/dev/ttyUSB0"},
      {"COM4=/dev/pts/7", "COM4", "/dev/pts/7"},
      {"COM2=x", "COM2", "x"},
      // Only the first '=' separates; the path is taken as it is.
      {"COM3=/tmp/a=b c", "COM3", "/tmp/a=b c"},
  };
  for (const Case& c : accepted) {
    SCOPED_TRACE(c.value);
    platform::PortMapping mapping;
    ASSERT_TRUE(platform::ParsePortMapping(c.value, mapping));
    EXPECT_EQ(mapping.name, c.name);
    EXPECT_EQ(mapping.path, c.path);
  }

  const char* refused[] = {"",         "COM1",    "COM1=",       "COM0=/dev/x", "COM5=/dev/x",
                           "COM10=/x", "com1=/x", "LPT1=/dev/x", "COM1/dev/x",  "=/dev/x",
                           " COM1=/x", "COMA=/x"};
  for (const char* value : refused) {
    SCOPED_TRACE(value);
    platform::PortMapping mapping{"kept", "kept"};
    EXPECT_FALSE(platform::ParsePortMapping(value, mapping));
    EXPECT_EQ(mapping.name, "kept");
    EXPECT_EQ(mapping.path, "kept");
  }
}

}  // namespace
