// The padded grid's properties: every layer element and outer edge takes the
// nearest model element's, and the layer is damped for the fastest P wave
// that reaches it.
#include <gtest/gtest.h>

#include "solver/survey_system.hpp"

namespace {

using ef::Complex;

TEST(SurveySystem, PaddedFieldsContinueTheModelOutwards) {
    const int nx = 3, ny = 2;
    ef::ElementFields model(nx, ny);
    for (int j = 0; j <= ny + 1; ++j)
        for (int i = 0; i <= nx + 1; ++i) {
            model.rho(i, j) = 10.0 * i + j;
            model.xmu(i, j) = Complex{100.0 * i + j, 0.0};
            model.xln(i, j) = Complex{0.0, 100.0 * i + j};
        }
    for (int j = 1; j <= ny; ++j) {
        model.vpleft[j] = Complex{1000.0 + j, 0.0};
        model.vpright[j] = Complex{2000.0 + j, 0.0};
    }
    for (int i = 1; i <= nx; ++i) {
        model.vsbot[i] = Complex{300.0 + i, 0.0};
        model.vptop[i] = Complex{4000.0 + i, 0.0};
    }
    const ef::PaddedGrid grid(nx, ny, 2, ef::AbsorbingSides{true, true, true, false});
    const ef::ElementFields el = ef::padded_fields(grid, model);
    EXPECT_EQ(el.rho(0, 0), 11.0);                          // ring of the corner of the layer
    EXPECT_EQ(el.rho(grid.nx() + 1, grid.ny() + 1), 32.0);  // top right, past the free top
    EXPECT_TRUE(el.xmu(4, 3) == (Complex{201.0, 0.0}));     // model element (2, 1)
    EXPECT_TRUE(el.xln(1, 4) == (Complex{0.0, 102.0}));     // left layer beside model row 2
    EXPECT_EQ(el.vpleft[1].re, 1001.0);
    EXPECT_EQ(el.vpright[4].re, 2002.0);
    EXPECT_EQ(el.vsbot[7].re, 303.0);
    EXPECT_EQ(el.vptop[1].re, 4001.0);

    const ef::PmlProfiles pml = ef::layer_profiles(grid, model, 5.0, 1e-3);
    EXPECT_EQ(pml.x.peak_damping(), ef::pml_peak_damping(2002.0, 10.0, 1e-3));
    EXPECT_EQ(pml.y.peak_damping(), ef::pml_peak_damping(4003.0, 10.0, 1e-3));
}

}  // namespace
