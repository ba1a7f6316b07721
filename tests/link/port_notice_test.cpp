// The German notices for a port that does not open.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "port_messages.h"
#include "pty_peer.h"
#include "termios_serial_link.h"

namespace morvale {
namespace {

TEST(OpenFailureNotice, SaysWhatIsWrongAndWhatToDo) {
    const PortDevice com2{"COM2", "/dev/ttyS1", "MORVALE_COM2"};
    EXPECT_EQ(openFailureNotice(com2, ENOENT),
              "COM2 (/dev/ttyS1) gibt es nicht \x96 MORVALE_COM2 auf das Ger\xE4t setzen, z. B. "
              "/dev/ttyUSB0");
    EXPECT_EQ(openFailureNotice(com2, EBUSY), "/dev/ttyS1 wird von einem anderen Programm benutzt");
    EXPECT_EQ(openFailureNotice(com2, EWOULDBLOCK),
              "/dev/ttyS1 wird von einem anderen Programm benutzt");
    EXPECT_EQ(openFailureNotice(com2, ENOTTY), "/dev/ttyS1 ist keine serielle Schnittstelle");
    EXPECT_EQ(openFailureNotice(com2, EACCES),
              "Keine Berechtigung f\xFCr /dev/ttyS1 \x96 Benutzer zur Gruppe dialout "
              "hinzuf\xFCgen und neu anmelden");
    EXPECT_EQ(openFailureNotice(com2, EROFS)
                  .rfind("/dev/ttyS1 l\xE4sst sich nicht \xF6"
                         "ffnen: ",
                         0),
              0u);
    const PortDevice path{"/dev/pts/9", "/dev/pts/9", ""};
    EXPECT_EQ(openFailureNotice(path, ENOENT), "/dev/pts/9 gibt es nicht");
}

TEST(OpenFailureNotice, LinkKeepsItUntilAnOpenSucceeds) {
    TermiosSerialLink link{[](std::string_view) {}};
    EXPECT_FALSE(link.open("/dev/null", LineSettings{}));
    EXPECT_EQ(link.openFailure(), "/dev/null ist keine serielle Schnittstelle");
    EXPECT_FALSE(link.open("/nonexistent/tty", LineSettings{}));
    EXPECT_EQ(link.openFailure(), "/nonexistent/tty gibt es nicht");
    const testing::PtyPeer peer;
    EXPECT_TRUE(link.open(peer.devicePath(), LineSettings{}));
    EXPECT_EQ(link.openFailure(), "");
}

}  // namespace
}  // namespace morvale
