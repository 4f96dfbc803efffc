#include <QTest>
#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "params/ParamFields.h"
#include "ui/SliderTable.h"
#include "ui/UiTestRegistry.h"

namespace tessaform {
namespace {

const SliderRow& rowOf(int sliderId)
{
    const auto rows = sliderRows();
    return *std::find_if(rows.begin(), rows.end(),
                         [sliderId](const SliderRow& row) { return row.sliderId == sliderId; });
}

// Floats compared bit for bit: QCOMPARE would accept a neighbouring value.
std::uint32_t bitsOf(float value)
{
    return std::bit_cast<std::uint32_t>(value);
}

// The record after a slider move to the position.
FractalParams afterMove(int sliderId, int position)
{
    FractalParams params = defaultParams();
    storePosition(rowOf(sliderId), position, params);
    return params;
}

}  // namespace

class SliderTableTest : public QObject {
    Q_OBJECT

private slots:
    void slidersFollowTheFixedOrderAndCoverEveryFieldButTheBackground()
    {
        const std::vector<int> sliderOrder{1004, 1005, 1009, 1010, 1013, 1015, 1017, 1019, 1020, 1023, 1025,
                                           1027, 1029, 1031, 1035, 1042, 1044, 1033, 1038, 1040, 1046, 1051};
        const std::vector<int> labelOrder{1006, 1007, 1008, 1011, 1012, 1014, 1016, 1018, 1021, 1022, 1024,
                                          1026, 1028, 1030, 1034, 1043, 1045, 1036, 1037, 1039, 1041, 1050};
        std::vector<int> sliders;
        std::vector<int> labels;
        std::set<int> editedSlots;
        for (const SliderRow& row : sliderRows()) {
            sliders.push_back(row.sliderId);
            labels.push_back(row.labelId);
            const ParamField* field = findParamField(row.field);
            QVERIFY2(field != nullptr, row.field.data());
            QCOMPARE(field->kind == FieldKind::Integer, row.scale == SliderScale::Whole);
            editedSlots.insert(field->slot);
        }
        QCOMPARE(sliders, sliderOrder);
        QCOMPARE(labels, labelOrder);
        std::set<int> everySlotButTheBackground;
        // The looks have a panel of their own.
        for (int slot = 3; slot < kClassicSlotCount; ++slot) {
            everySlotButTheBackground.insert(slot);
        }
        QCOMPARE(editedSlots, everySlotButTheBackground);

        std::vector<int> updaterIds;
        for (const auto& entry : labelUpdaters()) {
            updaterIds.push_back(entry.first);
        }
        std::sort(labels.begin(), labels.end());
        QCOMPARE(updaterIds, labels);
    }

    void defaultsGiveTheirStartPositions()
    {
        const FractalParams params = defaultParams();
        const std::vector<std::pair<int, int>> expected{
            {1004, 341}, {1005, 0},   {1009, 40},  {1010, -56}, {1013, 65},  {1031, -15}, {1020, -100}, {1023, -100},
            {1025, 100}, {1027, 200}, {1029, 150}, {1042, 16},  {1044, -30}, {1033, 100}, {1046, 0},    {1051, 2}};
        for (const auto& [sliderId, position] : expected) {
            QCOMPARE(positionFromValue(rowOf(sliderId), params), position);
        }
        QCOMPARE(labelText(rowOf(1004), params), std::string("View angle Phi: 341"));
        QCOMPARE(labelText(rowOf(1010), params), std::string("Constant X: -0.57"));
    }

    void angleLabelsTruncateTheirDegrees_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("shown");
        for (const auto& [position, shown] : std::vector<std::pair<int, int>>{{1, 0},
                                                                              {2, 1},
                                                                              {5, 4},
                                                                              {7, 6},
                                                                              {342, 341},
                                                                              {0, 0},
                                                                              {3, 3},
                                                                              {9, 9},
                                                                              {90, 90},
                                                                              {180, 180},
                                                                              {360, 360}}) {
            QTest::addRow("%d", position) << position << shown;
        }
    }

    void angleLabelsTruncateTheirDegrees()
    {
        QFETCH(int, position);
        QFETCH(int, shown);
        for (const int sliderId : {1004, 1005, 1046}) {
            const FractalParams params = afterMove(sliderId, position);
            QCOMPARE(positionFromValue(rowOf(sliderId), params), shown);
            QVERIFY(labelText(rowOf(sliderId), params).ends_with(": " + std::to_string(shown)));
        }
    }

    void hundredthsDoNotSurviveTheRoundTrip()
    {
        const FractalParams params = afterMove(1031, 5);
        QVERIFY(params.lateralShift < 0.05f);
        QCOMPARE(positionFromValue(rowOf(1031), params), 4);
        QCOMPARE(labelText(rowOf(1031), params), std::string("Lateral shift: 0.05"));
    }

    void epsilonRunsInTenthsOfADecade()
    {
        QCOMPARE(bitsOf(afterMove(1044, -70).epsilon), bitsOf(1.00000001e-07f));
        QCOMPARE(labelText(rowOf(1044), afterMove(1044, -70)), std::string("Epsilon: 0.000000"));
        QCOMPARE(labelText(rowOf(1044), afterMove(1044, -63)), std::string("Epsilon: 0.000001"));
        QCOMPARE(bitsOf(afterMove(1044, -10).epsilon), bitsOf(0.100000001f));
        QCOMPARE(positionFromValue(rowOf(1044), afterMove(1044, -45)), -45);
    }

    void distanceKeepsTheSinglePrecisionProduct()
    {
        const FractalParams params = afterMove(1009, 21);
        QCOMPARE(bitsOf(params.distance), bitsOf(2.10000014f));
        QCOMPARE(labelText(rowOf(1009), params), std::string("View distance: 2.1"));
    }

    void valuesWithoutAPositionFallBelowTheRange()
    {
        FractalParams params = defaultParams();
        params.epsilon = 0.0f;
        params.phi = std::numeric_limits<float>::quiet_NaN();
        params.theta = 1e30f;
        for (const int sliderId : {1044, 1004, 1005}) {
            QVERIFY(positionFromValue(rowOf(sliderId), params) < rowOf(sliderId).minimum);
        }
    }
};

TESSAFORM_UI_TEST(SliderTableTest);

}  // namespace tessaform

#include "SliderTableTest.moc"
