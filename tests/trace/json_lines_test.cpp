// The JSON-lines layout: one object a record, keys the traced fields' names in
// order, values typed as they were set, read back by a real JSON parser.
#include <functional>

#include "support/json_reader.h"
#include "trace/trace_test_access.h"

using JsonLines = CQmTraceDataTestAccess;

constexpr unsigned int kUser = 9, kDomain = 11, kIPPort = 27, kResponseTime = 46, kState = 41;

TEST_F(JsonLines, EveryValueKindAndHostileTextsParseBack) {
    if (!qmtest::HavePython()) GTEST_SKIP() << "python3 is needed to read the records back";
    auto master = Master("components: Log\ndata: Message User Pid IPPort ResponseTime State Domain\n",
                         QM_TRACE_JSON_LINES);
    struct Case {
        std::function<void(CQmTraceData&)> set;
        std::string line;    // the record as written
        std::string parsed;  // what the parser reads from it
    };
    const Case cases[] = {
        // Numbers bare (the Pid field holds the real id, so it is set to a
        // known text here), a truth value bare, unset fields null.
        {[](CQmTraceData& r) {
             r.SetFieldValue(QM_FIELD_MESSAGE, "plain"), r.SetFieldValue(kIPPort, -8080L);
             r.SetFieldValue(kResponseTime, 1.5), r.SetFieldValue(kState, true);
             r.SetFieldValue(kUser, 4000000000UL);
         },
         R"({"Message":"plain","User":4000000000,"Pid":null,"IPPort":-8080,"ResponseTime":1.500000,"State":true,"Domain":null})",
         R"({"Message": "plain", "User": 4000000000, "Pid": null, "IPPort": -8080, "ResponseTime": 1.5, "State": true, "Domain": null})"},
        // Quotes, backslashes, brackets, control characters, non-ASCII text,
        // and bytes that are no UTF-8 (replaced by U+FFFD).
        {[](CQmTraceData& r) {
             r.SetFieldValue(QM_FIELD_MESSAGE, "say \"hi\" \\ [x] }{");
             r.SetFieldValue(kUser, "tab\there\nline\x01\x1f");
             r.SetFieldValue(kDomain, "gr\xC3\xBC\xC3\x9F \xE2\x82\xAC \xF0\x9F\x98\x80 bad\xFF\xC3(\xED\xA0\x80");
         },
         "{\"Message\":\"say \\\"hi\\\" \\\\ [x] }{\",\"User\":\"tab\\there\\nline\\u0001\\u001f\",\"Pid\":null,"
         "\"IPPort\":null,\"ResponseTime\":null,\"State\":null,\"Domain\":\"gr\xC3\xBC\xC3\x9F \xE2\x82\xAC "
         "\xF0\x9F\x98\x80 bad\xEF\xBF\xBD\xEF\xBF\xBD(\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"}",
         R"({"Message": "say \"hi\" \\ [x] }{", "User": "tab\there\nline\u0001\u001f", "Pid": null, "IPPort": null, "ResponseTime": null, "State": null, "Domain": "gr\u00fc\u00df \u20ac \ud83d\ude00 bad\ufffd\ufffd(\ufffd\ufffd\ufffd"})"},
        // A number that is no JSON number stays a string; a number written
        // over by a text is a text; digits set as text stay text.
        {[](CQmTraceData& r) {
             r.SetFieldValue(QM_FIELD_MESSAGE, ""), r.SetFieldValue(kResponseTime, 1.0 / 0.0);
             r.SetFieldValue(kIPPort, 443), r.SetFieldValue(kIPPort, "443"), r.SetFieldValue(kState, false);
         },
         R"({"Message":"","User":null,"Pid":null,"IPPort":"443","ResponseTime":"inf","State":false,"Domain":null})",
         R"({"Message": "", "User": null, "Pid": null, "IPPort": "443", "ResponseTime": "inf", "State": false, "Domain": null})"},
    };
    std::string records;
    auto copy = CopyOf(*master);
    for (const Case& c : cases) {
        c.set(*copy);
        ASSERT_TRUE(copy->Format());
        EXPECT_EQ(copy->GetMessage().GetBuffer(), c.line + "\n");
        records += copy->GetMessage().GetBuffer();
        copy->LeaveNoBody();  // a record is emptied between uses: nothing is carried over
    }
    std::vector<std::string> parsed;
    ASSERT_TRUE(qmtest::ParseJsonLines(m_dir.Write("records.jsonl", records), &parsed));
    ASSERT_EQ(parsed.size(), std::size(cases));
    for (std::size_t i = 0; i < parsed.size(); ++i) EXPECT_EQ(parsed[i], cases[i].parsed) << i;
}

// A record writes the bytes that the field-by-field calls write for its
// fields: with the keys its master made once (a name that needs escaping
// among them), without them (a name whose key would be too long), and with
// members that fill or overflow the area a record is joined in.
TEST_F(JsonLines, RecordsWriteWhatTheFieldByFieldCallsWrite) {
    const std::string names[] = {"User", "Odd\"Na\\me\x01\xC3\xBC\xFF", std::string(50, '\x01')};
    std::string controlKey = "\"";
    for (int i = 0; i < 50; ++i) controlKey += "\\u0001";
    const std::string keys[] = {"\"User\":", "\"Odd\\\"Na\\\\me\\u0001\xC3\xBC\xEF\xBF\xBD\":", controlKey + "\":"};
    const std::string wide(300, 'w'), huge = std::string(3000, 'h') + "\n\"\\", controls(500, '\x01');
    const std::function<void(CQmTraceData&)> fills[] = {
        [](CQmTraceData& r) { r.SetFieldValue(QM_FIELD_MESSAGE, "plain"), r.SetFieldValue(kState, true); },
        [&](CQmTraceData& r) {
            r.SetFieldValue(QM_FIELD_MESSAGE, wide.c_str()), r.SetFieldValue(kUser, wide.c_str());
            r.SetFieldValue(kDomain, wide.c_str()), r.SetFieldValue(kIPPort, 443);
        },
        [&](CQmTraceData& r) {
            r.SetFieldValue(QM_FIELD_MESSAGE, huge.c_str()), r.SetFieldValue(kUser, controls.c_str());
            r.SetFieldValue(kDomain, "gr\xC3\xBC\xC3\x9F bad\xFF"), r.SetFieldValue(kResponseTime, 0.5);
        },
    };
    for (std::size_t n = 0; n < std::size(names); ++n) {
        m_fields.get()[kUser].name = names[n].c_str();
        auto master = Master("components: Log\ndata: Message " + names[n] + " Pid IPPort ResponseTime State Domain\n",
                             QM_TRACE_JSON_LINES);
        auto copy = CopyOf(*master);
        for (std::size_t f = 0; f < std::size(fills); ++f) {
            SCOPED_TRACE(testing::Message() << "name " << n << " fill " << f);
            fills[f](*copy);
            ASSERT_TRUE(copy->Format());
            CQmErrLogMessage expected(false);
            expected.BeginTraceFormat(QM_TRACE_JSON_LINES, false, nullptr);
            for (const unsigned int id : Order(*copy))
                expected.FormatTraceField(copy->GetFieldValue(id), copy->GetFieldName(id), copy->GetFieldValueKind(id));
            expected.EndTraceFormat();
            const std::string line = copy->GetMessage().GetBuffer();
            EXPECT_EQ(line, expected.GetBuffer());
            EXPECT_NE(line.find("," + keys[n]), std::string::npos);
            copy->LeaveNoBody();
        }
    }
}
