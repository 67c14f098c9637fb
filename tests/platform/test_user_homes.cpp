#include "platform/user_homes.h"
#include "tests/support/environment_scope.h"

#include <gtest/gtest.h>
#include <optional>

using jwtest::EnvironmentScope;

// A variable counts only when it holds an absolute path, a relative one as if unset; HOME
// gives the defaults only when it is absolute; else the home is not known.
TEST(UserHomesTest, AbsoluteVariablesElseDefaultsUnderAnAbsoluteHome) {
  const std::optional<QByteArray> unset;
  const struct {
    const char* name;
    std::optional<QByteArray> home, dataHome, configHome;
    QString data, config;
  } cases[] = {
      {"both set", "/h", "/d", "/c", "/d", "/c"},
      {"both unset", "/h", unset, unset, "/h/.local/share", "/h/.config"},
      {"both empty", "/h", "", "", "/h/.local/share", "/h/.config"},
      {"both relative", "/h", "d", "./c", "/h/.local/share", "/h/.config"},
      {"untidy home", "//h/./x/", unset, unset, "/h/x/.local/share", "/h/x/.config"},
      {"untidy variables", "/h", "/d/", "/c//x", "/d", "/c/x"},
      {"set, no home", unset, "/d", "/c", "/d", "/c"},
      {"relative, empty home", "", "d", "c", "", ""},
      {"unset, no home", unset, unset, unset, "", ""},
      {"unset, relative home", "h", unset, unset, "", ""},
      {"one relative, no home", "", "/d", "c", "/d", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const EnvironmentScope home("HOME", c.home), data("XDG_DATA_HOME", c.dataHome),
        config("XDG_CONFIG_HOME", c.configHome);
    EXPECT_EQ(UserDataHome().toStdString(), c.data.toStdString());
    EXPECT_EQ(UserConfigHome().toStdString(), c.config.toStdString());
    // The program's folders keep the application's name below the home.
    EXPECT_EQ(AppDataHome().toStdString(),
              (c.data.isEmpty() ? c.data : c.data + "/jibwarden").toStdString());
    EXPECT_EQ(AppConfigHome().toStdString(),
              (c.config.isEmpty() ? c.config : c.config + "/jibwarden").toStdString());
  }
}
