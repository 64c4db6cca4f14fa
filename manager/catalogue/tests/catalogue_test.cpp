#include "manager/catalogue/catalogue.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/textcodec.h"
#include "common/xmlobj.h"

namespace {

// Hex text of a name's device code page bytes, as the catalogue stores names.
std::string Hex(const std::string& utf8) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : ToDeviceBytes(utf8)) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string Model(int n, const std::string& nameHex, const std::string& paths = "1",
                  const std::string& start = "1") {
    const std::string tag = std::to_string(n);
    return "<" + tag + "><name>" + nameHex + "</name><paths>" + paths + "</paths><startnumber>" +
           start + "</startnumber></" + tag + ">";
}

struct TDoc {
    std::string agent;
    std::string models;  // children of base/devicemodel
    std::string types;   // children of base/devicetype
    std::string proxy;   // children of proxy/devicemodel
    std::string Text() const {
        return "<deviceconfig><information><agent>" + agent +
               "</agent></information><base><devicemodel>" + models + "</devicemodel><devicetype>" +
               types + "</devicetype></base><proxy><devicemodel>" + proxy +
               "</devicemodel></proxy></deviceconfig>";
    }
};

std::string Type(int t, const std::vector<std::string>& names) {
    std::string out = "<" + std::to_string(t) + ">";
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string tag = std::to_string(i + 1);
        out += "<" + tag + ">" + Hex(names[i]) + "</" + tag + ">";
    }
    return out + "</" + std::to_string(t) + ">";
}

TDevicePropertyList Build(const std::string& text) {
    TMyXmlobj document;
    EXPECT_TRUE(document.LoadFromBytes(text));
    return BuildCatalogue(document);
}

struct TRecord {
    int type;
    std::string typeName, baseName, displayName;
};

std::vector<TRecord> Records(const TDevicePropertyList& list) {
    std::vector<TRecord> out;
    for (const TDeviceProperty& r : list.Records()) {
        out.push_back({r.typeNumber, r.typeName, r.baseName, r.displayName});
    }
    return out;
}

void ExpectRecords(const TDevicePropertyList& list, const std::vector<TRecord>& expected,
                   const std::string& name) {
    const std::vector<TRecord> actual = Records(list);
    ASSERT_EQ(actual.size(), expected.size()) << name;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].type, expected[i].type) << name << " #" << i;
        EXPECT_EQ(actual[i].typeName, expected[i].typeName) << name << " #" << i;
        EXPECT_EQ(actual[i].baseName, expected[i].baseName) << name << " #" << i;
        EXPECT_EQ(actual[i].displayName, expected[i].displayName) << name << " #" << i;
    }
}

TEST(Catalogue, BuildsRecordsByTheDocumentsRules) {
    const std::string sip520 = Hex("SIP520");
    const std::string sip310 = Hex("SIP310");
    struct Case {
        const char* name;
        TDoc doc;
        std::vector<TRecord> records;
    };
    const std::vector<Case> cases = {
        {"one model under types 2 and 7",
         {Hex("NO"), Model(1, sip520), Type(2, {"SIP520"}) + Type(7, {"SIP520"}), ""},
         {{2, "采播终端", "SIP520", "SIP520"}, {7, "信号触发设备", "SIP520", "SIP520"}}},
        {"model order, then type order",
         {"", Model(1, sip310) + Model(2, sip520),
          Type(9, {"SIP520", "SIP310"}) + Type(1, {"SIP310"}), ""},
         {{1, "播放终端", "SIP310", "SIP310"},
          {9, "电话主机", "SIP310", "SIP310"},
          {9, "电话主机", "SIP520", "SIP520"}}},
        {"model under no type is unknown", {"", Model(1, sip310), Type(3, {"SIP999"}), ""}, {}},
        {"type membership ignores case",
         {"", Model(1, sip310), Type(11, {"sip310"}), ""},
         {{11, "BGM主机", "SIP310", "SIP310"}}},
        {"empty name, non-integer paths or startnumber are ignored",
         {"",
          Model(1, "") + Model(2, sip310, "x") + Model(3, sip310, "1", "") +
              Model(4, sip520, " 2 ", "-3"),
          Type(9, {"SIP310", "SIP520"}), ""},
         {{9, "电话主机", "SIP520", "SIP520"}}},
        {"007 is enumerated but not found under 7",
         {"", "<007><name>" + sip310 + "</name><paths>1</paths><startnumber>1</startnumber></007>",
          Type(9, {"SIP310"}), ""},
         {}},
        {"non-numeric model elements are skipped",
         {"",
          "<model><name>" + sip310 +
              "</name><paths>1</paths><startnumber>1</startnumber>"
              "</model>" +
              Model(1, sip520),
          Type(9, {"SIP310", "SIP520"}), ""},
         {{9, "电话主机", "SIP520", "SIP520"}}},
        {"odd-length hex decodes the whole pairs",
         {"", Model(1, "41424344453"), Type(5, {"ABCDE"}), ""},
         {{5, "报警主机", "ABCDE", "ABCDE"}}},
        {"hex stops at the first pair that is not hex",
         {"", Model(1, "4142zz43"), Type(5, {"AB"}), ""},
         {{5, "报警主机", "AB", "AB"}}},
        {"a zero byte ends a name",
         {"", Model(1, sip520 + "0000") + Model(2, sip310 + "0041"), Type(9, {"SIP520", "SIP310"}),
          ""},
         {{9, "电话主机", "SIP520", "SIP520"}, {9, "电话主机", "SIP310", "SIP310"}}},
        {"GBK names",
         {"", Model(1, Hex("对讲终端")), Type(9, {"对讲终端"}), ""},
         {{9, "电话主机", "对讲终端", "对讲终端"}}},
        {"names are cut at 31 bytes, never inside a character",
         {"",
          Model(1, Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZ1234"
                       "汉字")),
          Type(9, {"ABCDEFGHIJKLMNOPQRSTUVWXYZ1234汉"}), ""},
         {{9, "电话主机", "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234", "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234"}}},
        {"reseller mode: only reseller models, under their user names",
         {"594553", Model(1, sip310) + Model(2, sip520), Type(9, {"SIP310", "SIP520"}),
          "<1><basename>" + sip520 + "</basename><username>" + Hex("话机A") +
              "</username></1><2><basename>" + Hex("SIP999") + "</basename><username>" + Hex("X") +
              "</username></2><3><basename>" + sip310 + "</basename><username></username></3>"},
         {{9, "电话主机", "SIP520", "话机A"}}},
        // SIP999 is listed under a device type, so only the base-model rule keeps it out.
        {"reseller base name listed under a type but not a base model gives no record",
         {"594553", Model(1, sip310), Type(9, {"SIP999", "SIP310"}),
          "<1><basename>" + Hex("SIP999") + "</basename><username>" + Hex("X") +
              "</username></1><2><basename>" + sip310 + "</basename><username>" + Hex("Y") +
              "</username></2>"},
         {{9, "电话主机", "SIP310", "Y"}}},
        {"agent YES ended by zero bytes is reseller mode",
         {"5945530000", Model(1, sip310), Type(9, {"SIP310"}),
          "<1><basename>" + sip310 + "00</basename><username>" + Hex("Z") + "00</username></1>"},
         {{9, "电话主机", "SIP310", "Z"}}},
        {"agent yes in lower case is not reseller mode",
         {"796573", Model(1, sip310), Type(9, {"SIP310"}),
          "<1><basename>" + sip310 + "</basename><username>" + Hex("Z") + "</username></1>"},
         {{9, "电话主机", "SIP310", "SIP310"}}},
    };
    for (const Case& c : cases)
        ExpectRecords(Build(c.doc.Text()), c.records, c.name);
}

TEST(Catalogue, DisplayNameLookupIsExactAndCaseSensitive) {
    const TDoc doc{"594553", Model(1, Hex("SIP520")) + Model(2, Hex("SIP310")),
                   Type(9, {"SIP520", "SIP310"}),
                   "<1><basename>" + Hex("SIP520") + "</basename><username>" + Hex("对讲主机") +
                       "</username></1>"};
    const TDevicePropertyList catalogue = Build(doc.Text());
    struct Case {
        const char* model;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"SIP520", "对讲主机"},
        {"sip520", ""},
        {"SIP52", ""},
        {"SIP520 ", ""},
        {"SIP310", ""},  // a base model without a reseller entry
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(catalogue.CatalogueDisplayName(c.model), c.expected) << c.model;
    }
}

TEST(Catalogue, ElementNamesIgnoreLetterCase) {
    const std::string text = "<DeviceConfig><BASE><DeviceModel><1><NAME>" + Hex("SIP650") +
                             "</NAME><Paths>2</Paths><StartNumber>0</StartNumber></1></DeviceModel>"
                             "<DEVICETYPE><1><1>" +
                             Hex("SIP650") + "</1></1></DEVICETYPE></BASE></DeviceConfig>";
    EXPECT_EQ(Build(text).CatalogueDisplayName("SIP650"), "SIP650");
}

TEST(Catalogue, MissingOrBrokenFilesGiveAnEmptyCatalogue) {
    const std::string dir =
        (std::filesystem::temp_directory_path() / ("catalogue_test_" + std::to_string(::getpid())))
            .string();
    std::filesystem::create_directories(dir);
    struct Case {
        const char* name;
        const char* bytes;  // nullptr: no file
    };
    const std::vector<Case> cases = {
        {"missing", nullptr},
        {"empty", ""},
        {"truncated", "<deviceconfig><base><devicemodel><1><name>5349"},
        {"other root", "<config><base/></config>"},
        {"no sections", "<deviceconfig/>"},
    };
    for (const Case& c : cases) {
        const std::string path = dir + "/license.dat";
        std::filesystem::remove(path);
        if (c.bytes) std::ofstream(path, std::ios::binary) << c.bytes;
        EXPECT_TRUE(LoadCatalogue(path).Records().empty()) << c.name;
    }
    std::filesystem::remove_all(dir);
}

TEST(Catalogue, ShippedCatalogueKnowsEveryModelFamily) {
    const TDevicePropertyList catalogue =
        LoadCatalogue(std::string(PELMORA_SOURCE_DIR) + "/data/files/license.dat");
    struct Case {
        const char* model;
        int type;
    };
    const std::vector<Case> cases = {
        {"SIP310", 9},  {"SIP315", 9},  {"SIP318", 9},  {"SIP520", 9},  {"SIP525", 9},
        {"SIP430", 9},  {"SIP1601", 2}, {"SIP1603", 2}, {"SIP1403", 2}, {"SIP1203", 2},
        {"SIP1201", 2}, {"SIP1401", 2}, {"SIP460", 4},  {"SIP4601", 4}, {"SIP650", 1},
    };
    ASSERT_EQ(catalogue.Records().size(), cases.size());
    for (const Case& c : cases) {
        EXPECT_EQ(catalogue.CatalogueDisplayName(c.model), c.model);
        int type = 0;
        for (const TDeviceProperty& r : catalogue.Records()) {
            if (r.baseName == c.model) type = r.typeNumber;
        }
        EXPECT_EQ(type, c.type) << c.model;
    }
    EXPECT_EQ(catalogue.CatalogueDisplayName("sip310"), "");
}

TEST(Catalogue, DeviceTypesAreTheElevenFixedTypes) {
    const TDeviceTypeList types;
    ASSERT_EQ(types.Items().size(), 11u);
    const std::vector<std::string> names = {"播放终端", "采播终端",     "遥控终端",     "网络话筒",
                                            "报警主机", "电源控制终端", "信号触发设备", "定时主机",
                                            "电话主机", "分区主机",     "BGM主机"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(types.Items()[i].number, static_cast<int>(i + 1));
        EXPECT_EQ(types.Items()[i].typeName, names[i]);
    }
}

}  // namespace
