#include "platform/vcl/Registration.h"

#include <gtest/gtest.h>

#include "platform/vcl/Controls.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Object.h"
#include "platform/vcl/TypInfo.h"

namespace {

// Guards against a standard class or an identifier table left out of the
// start-up call: the form reader would then refuse every resource using it.
TEST(RegistrationTest, RegistersEveryStandardClassAndIdentifierTable) {
  RegisterStandardClasses();
  RegisterStandardClasses();  // a second call is harmless
  for (const char* name : {"TComponent", "TControl", "TWinControl", "TGraphicControl",
                           "TCustomControl", "TCustomForm", "TForm", "TButton", "TMessageForm"}) {
    SCOPED_TRACE(name);
    const TClass* found = FindClass(name);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->ClassName(), name);
  }
  int64_t red = 0;
  ASSERT_TRUE(IdentToIntOf(TypeInfoOf<TColor>(), "clRed", red));
  EXPECT_EQ(red, clRed);
}

}  // namespace
