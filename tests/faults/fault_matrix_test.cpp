#include "faults/workflow_runs.h"
#include "net/mod_xml_http.h"
#include "support/temp_root.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <vector>

namespace tavimo {
namespace {

using emu::Fault;
using emu::FaultKind;
using test::Workflow;

constexpr char kAudioPrefix[] = "/view/song/";
constexpr uint64_t kMp3Bytes = 6000;

// One way the file host misbehaves: the faults of each faulty run in turn
// (a later run may meet the files an earlier one left), and the stall
// time-out the runs use.
struct FaultCase {
    const char *name;
    std::vector<std::vector<Fault>> runs;
    int stallTimeoutMs = 0;
};

const std::vector<FaultCase> &FaultCases()
{
    static const std::vector<FaultCase> cases = {
        {"ErrorStatus", {{Fault::status(500)}}},
        {"EmptyBody", {{Fault::of(FaultKind::EmptyBody)}}},
        {"Garbage", {{Fault::of(FaultKind::Garbage)}}},
        {"Refused", {{Fault::of(FaultKind::Refused)}}},
        {"Stall", {{Fault::of(FaultKind::Stall, 600)}}, 150},
        {"DroppedMidBody", {{Fault::of(FaultKind::Drop)}}},
        {"ShortBody", {{Fault::of(FaultKind::ShortBody)}}},
        {"SlowStart", {{Fault::of(FaultKind::Delay, 60)}}},
        {"Bandwidth", {{Fault::of(FaultKind::Bandwidth, 60000)}}},
        {"RangeIgnored", {{Fault::of(FaultKind::Drop)}, {Fault::of(FaultKind::IgnoreRange)}}},
        {"FailFirst", {{Fault::failFirst(2)}}},
    };
    return cases;
}

using Param = std::tuple<size_t, Workflow>;

class FaultMatrixTest : public ::testing::TestWithParam<Param> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(emulator.start());
        emulator.setMp3Size(kMp3Bytes);
        emulator.setLikedCount(6);
    }

    // What a run without any fault leaves, once per workflow.
    QMap<QString, QByteArray> undisturbedFiles(Workflow workflow)
    {
        static std::map<Workflow, QMap<QString, QByteArray>> cache;
        auto found = cache.find(workflow);
        if (found != cache.end())
            return found->second;
        test::TempRoot clean;
        ModXmlHttp cleanNet;
        FileDownloader cleanFiles(cleanNet);
        test::RunWorkflow(workflow, emulator, cleanFiles, clean.path());
        emulator.resetChannels();
        return cache[workflow] = test::FilesBeneath(clean.path());
    }

    // The bytes of every file the workflow may write, at both bit rates.
    std::set<QByteArray> servedFiles(Workflow workflow) const
    {
        std::set<QByteArray> served;
        for (const std::string &id : test::SongIdsOf(workflow, emulator.catalogue())) {
            served.insert(QByteArray::fromStdString(emulator.expectedMp3(id, true)));
            served.insert(QByteArray::fromStdString(emulator.expectedMp3(id, false)));
        }
        return served;
    }

    emu::Emulator emulator;
    test::TempRoot root;
};

// Whatever the file host does wrong, a later run without the fault leaves
// exactly the files an undisturbed run leaves, each the served bytes, and
// nothing else: no temporary file, no error page.
TEST_P(FaultMatrixTest, CleanRerunLeavesExactlyTheServedFiles)
{
    const auto [caseIndex, workflow] = GetParam();
    const FaultCase &faultCase = FaultCases().at(caseIndex);
    const QMap<QString, QByteArray> expected = undisturbedFiles(workflow);
    ASSERT_FALSE(expected.isEmpty());
    const std::set<QByteArray> served = servedFiles(workflow);
    for (const QByteArray &bytes : expected)
        ASSERT_TRUE(served.count(bytes)) << "an undisturbed run wrote bytes the emulator never served";

    for (const std::vector<Fault> &faults : faultCase.runs) {
        emulator.clearFaults();
        for (const Fault &fault : faults)
            emulator.setFault(kAudioPrefix, fault);
        ModXmlHttp net;
        FileDownloader files(net);
        if (faultCase.stallTimeoutMs > 0)
            net.setStallTimeout(faultCase.stallTimeoutMs);
        test::RunWorkflow(workflow, emulator, files, root.path());
        emulator.resetChannels();
    }
    emulator.clearFaults();
    ModXmlHttp net;
    FileDownloader files(net);
    test::RunWorkflow(workflow, emulator, files, root.path());

    const QMap<QString, QByteArray> left = test::FilesBeneath(root.path());
    EXPECT_EQ(left.keys(), expected.keys());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        EXPECT_TRUE(left.value(it.key()) == it.value()) << it.key().toStdString();
}

std::string CaseName(const ::testing::TestParamInfo<Param> &info)
{
    return std::string(FaultCases().at(std::get<0>(info.param)).name) + "_" + test::WorkflowName(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(EveryFault, FaultMatrixTest,
                         ::testing::Combine(::testing::Range(size_t(0), FaultCases().size()),
                                            ::testing::Values(Workflow::Album, Workflow::Artist, Workflow::Channel,
                                                              Workflow::Liked)),
                         CaseName);

} // namespace
} // namespace tavimo
