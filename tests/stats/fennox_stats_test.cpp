// fennox-stats as a user runs it: reports on recordings the tests build.
#include "run_program.h"
#include "stream_builder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const std::string Stats = FENNOX_STATS;

std::string ToText(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// Four packets to loco 3, one with a bad checksum, two idle packets and a
// switch command, followed by preamble so all are decoded.
std::string SmallRecording() {
    TStreamBuilder b;
    b.DeviceInfo(118, 0, 'e');
    b.DccPacket({0xFF, 0x00});
    b.DccPacket({0x03, 0x3F, 0x85});
    b.DccPacket({0x03, 0x90});
    b.Packet({0x03, 0x60, 0x00});
    b.DccPacket({0x03, 0xDE, 0x01});
    b.DccPacket({0xFF, 0x00});
    b.DccPacket({0x81, 0xF8});
    b.Ones(8 * 100);
    return ToText(b.Take());
}

// Runs a Python snippet on a file; its standard output.
std::string Python(const std::string& code, const std::string& path) {
    const TProgramResult r = RunProgram({FENNOX_PYTHON3, "-c", code, path});
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    return r.Out;
}

} // namespace

TEST(FennoxStats, JsonHoldsTheDocumentedKeys) {
    const std::string in = TempPath("small.bin");
    WriteFile(in, SmallRecording());
    const TProgramResult r = RunProgram({Stats, "--json", in});
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    const std::string json = TempPath("small.json");
    WriteFile(json, r.Out);
    EXPECT_EQ(Python("import json,sys\n"
                     "d=json.load(open(sys.argv[1]))\n"
                     "print(d['bytes'], d['packets'], d['checksum_errors'], d['kinds']['idle'],"
                     " d['kinds']['speed-14-28'], d['kinds_checksum_errors']['speed-14-28'],"
                     " d['addresses']['short:3'], d['addresses']['accessory:1'],"
                     " d['locomotives'][0]['speed'], d['locomotives'][0]['functions_on'],"
                     " d['device_info']['records'], d['per_second'])",
                     json),
              std::to_string(SmallRecording().size()) + " 7 1 2 1 1 4 1 4/126 [0, 13] 1 [7]\n");
}

TEST(FennoxStats, CsvHasOneRowPerPacket) {
    const std::string in = TempPath("csv.bin");
    const std::string csv = TempPath("packets.csv");
    WriteFile(in, SmallRecording());
    const TProgramResult r = RunProgram({Stats, "--csv", csv, in});
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_EQ(Python("import csv,sys\n"
                     "rows=list(csv.DictReader(open(sys.argv[1],newline='')))\n"
                     "print(len(rows))\n"
                     "for r in rows[1:4]: print(r['length'], r['bytes'], r['kind'], r['address'],"
                     " r['checksum'])\n"
                     "print(rows[0]['offset'], rows[0]['device_time'])",
                     csv),
              "7\n"
              "4 03 3F 85 B9 speed-128 short:3 ok\n"
              "3 03 90 93 f0-f4 short:3 ok\n"
              "3 03 60 00 speed-14-28 short:3 failed\n"
              // 48 bits of the info record, 14 ones, 28 bits to the end bit.
              "11 0.0057\n");
}

TEST(FennoxStats, SummaryAndHtmlPage) {
    const std::string in = TempPath("html.bin");
    const std::string html = TempPath("report.html");
    WriteFile(in, SmallRecording());
    const TProgramResult r = RunProgram({Stats, "--html", html, in});
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_NE(r.Out.find("Packets: 7, checksum failures: 1"), std::string::npos) << r.Out;
    EXPECT_NE(r.Out.find("short:3"), std::string::npos) << r.Out;
    // Well-formed (strict XML), no scripts or outside files, both charts with bars.
    EXPECT_EQ(Python("import sys, xml.etree.ElementTree as E\n"
                     "ns={'h':'http://www.w3.org/1999/xhtml','s':'http://www.w3.org/2000/svg'}\n"
                     "t=E.parse(sys.argv[1]).getroot()\n"
                     "svgs=t.findall('.//s:svg',ns)\n"
                     "print([s.get('id') for s in svgs])\n"
                     "print([len(s.findall('.//s:rect',ns))>0 for s in svgs])\n"
                     "print(len(t.findall('.//h:script',ns)), len(t.findall('.//h:link',ns)),"
                     " len(t.findall('.//h:img',ns)))\n"
                     "print('short:3' in E.tostring(t,encoding='unicode'))",
                     html),
              "['rate-chart', 'preamble-chart']\n[True, True]\n0 0 0\nTrue\n");
}

TEST(FennoxStats, MotorolaRecordingSaysSo) {
    TStreamBuilder b;
    b.DeviceInfo(118, 0, 'm');
    for (int i = 0; i < 10; ++i)
        b.MotorolaRecord("12*", 0x55, 0x0F, 0xC3);
    b.RawBytes(std::vector<uint8_t>(60, 0x00));
    const std::string in = TempPath("mot.bin");
    WriteFile(in, ToText(b.Take()));
    const TProgramResult r = RunProgram({Stats, in});
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_NE(r.Out.find("No DCC packets: the recording is in Motorola mode"), std::string::npos)
        << r.Out;
}

TEST(FennoxStats, UnreadableFileExitsOneNamingIt) {
    const std::string missing = TempPath("no-such-recording.bin");
    const TProgramResult r = RunProgram({Stats, missing});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_NE(r.Err.find("cannot read " + missing + ": No such file or directory"),
              std::string::npos)
        << r.Err;
    const TProgramResult dir = RunProgram({Stats, "/"});
    EXPECT_EQ(dir.ExitCode, 1);
    EXPECT_NE(dir.Err.find("cannot read /"), std::string::npos) << dir.Err;
    const std::string in = TempPath("ok.bin");
    WriteFile(in, SmallRecording());
    const TProgramResult csv = RunProgram({Stats, "--csv", "/no-such-dir/x.csv", in});
    EXPECT_EQ(csv.ExitCode, 1);
    EXPECT_NE(csv.Err.find("cannot write /no-such-dir/x.csv"), std::string::npos) << csv.Err;
}
