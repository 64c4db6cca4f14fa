// The local socket: frames, the second start, device texts, and garbage.
#include "manager/shell/singleinstance.h"

#include <gtest/gtest.h>

#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

TEST(LocalMessage, FramesRoundTripAndSplitAnywhere) {
    const TLocalMessage messages[] = {
        {TLocalMessageType::Raise, ""},
        {TLocalMessageType::DeviceText, "1001;门口;127.0.1.5;0.26.43.60.77.94;SIP-520;V2.6;"},
        {TLocalMessageType::DeviceText, std::string(kMaxFrameBody - 1, 'x')},
    };
    std::string stream;
    for (const TLocalMessage& m : messages)
        stream += EncodeLocalMessage(m);
    EXPECT_EQ(stream.substr(0, 5), std::string("\x01\x00\x00\x00\x01", 5));

    // Fed one byte at a time, the reader gives the same messages.
    TLocalMessageReader reader;
    std::vector<TLocalMessage> got;
    for (char byte : stream) {
        reader.Feed(std::string_view(&byte, 1));
        while (auto m = reader.Next())
            got.push_back(*m);
    }
    ASSERT_EQ(got.size(), std::size(messages));
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].type, messages[i].type);
        EXPECT_EQ(got[i].text, messages[i].text);
    }
    EXPECT_FALSE(reader.Failed());

    // A text longer than a frame holds is cut between two characters.
    reader.Feed(EncodeLocalMessage(
        {TLocalMessageType::DeviceText, std::string(kMaxFrameBody - 2, 'x') + "门"}));
    const auto cut = reader.Next();
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->text, std::string(kMaxFrameBody - 2, 'x'));
}

TEST(LocalMessage, BadFramesFailTheReader) {
    const std::string bad[] = {
        std::string("\x00\x00\x00\x00", 4),        // empty body
        std::string("\x01\x10\x00\x00\x02", 5),    // 4097 bytes: too long
        std::string("\xff\xff\xff\xff\x02", 5),    // huge
        std::string("\x01\x00\x00\x00\x07", 5),    // unknown type
        std::string("\x03\x00\x00\x00\x00zz", 7),  // type 0
    };
    for (const std::string& frame : bad) {
        TLocalMessageReader reader;
        reader.Feed(frame);
        EXPECT_FALSE(reader.Next());
        EXPECT_TRUE(reader.Failed());
        reader.Feed(EncodeLocalMessage({TLocalMessageType::Raise, ""}));
        EXPECT_FALSE(reader.Next()) << "a failed reader stays failed";
    }
    // Text that is not UTF-8 arrives with replacement characters.
    TLocalMessageReader reader;
    reader.Feed(std::string("\x03\x00\x00\x00\x02\xff\x41", 7));
    const auto m = reader.Next();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text,
              "\xEF\xBF\xBD"
              "A");
}

TEST(SingleInstance, SecondStartAndMessages) {
    QTemporaryDir home;
    const QString name = TSingleInstance::ServerName(home.path());
    EXPECT_NE(name, TSingleInstance::ServerName(QString()));
    EXPECT_EQ(name, TSingleInstance::ServerName(home.path() + "/"));

    EXPECT_FALSE(TSingleInstance::Send(name, {TLocalMessageType::Raise, ""}, 200));
    TSingleInstance first(name);
    ASSERT_TRUE(first.Start());
    TSingleInstance second(name);
    EXPECT_FALSE(second.Start());

    QSignalSpy raised(&first, &TSingleInstance::raiseRequested);
    QSignalSpy texts(&first, &TSingleInstance::deviceTextReceived);
    EXPECT_TRUE(TSingleInstance::Send(name, {TLocalMessageType::Raise, ""}));
    QTRY_COMPARE_WITH_TIMEOUT(raised.count(), 1, 5000);
    EXPECT_TRUE(TSingleInstance::Send(name, {TLocalMessageType::DeviceText, "1001;Gate"}));
    QTRY_COMPARE_WITH_TIMEOUT(texts.count(), 1, 5000);
    EXPECT_EQ(texts[0][0].toString(), "1001;Gate");

    // Garbage is dropped with its connection; the server keeps serving.
    for (const QByteArray& garbage :
         {QByteArray("\xff\xff\xff\x7f", 4), QByteArray("\x02\x00\x00\x00\x09x", 6),
          QByteArray(10000, '\x01')}) {
        QLocalSocket socket;
        socket.connectToServer(name);
        ASSERT_TRUE(socket.waitForConnected(3000));
        socket.write(garbage);
        socket.waitForBytesWritten(3000);
        QTRY_VERIFY_WITH_TIMEOUT(socket.state() == QLocalSocket::UnconnectedState, 5000);
    }
    EXPECT_TRUE(TSingleInstance::Send(name, {TLocalMessageType::DeviceText, "after"}));
    QTRY_COMPARE_WITH_TIMEOUT(texts.count(), 2, 5000);
    EXPECT_EQ(texts[1][0].toString(), "after");
    EXPECT_EQ(raised.count(), 1);
}

}  // namespace
