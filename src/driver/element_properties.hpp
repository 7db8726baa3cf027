// Element properties at one frequency: the complex Lame parameters and the
// density of every element of the local grid and its ring, from the material
// map and the per-frequency moduli; the phase velocities and inverse quality
// factors checked for sign and logged at the monitoring element; the elastic
// (Gassmann) velocities of the border elements for the absorbing terms.
#pragma once

#include "common/run_params.hpp"
#include "common/units.hpp"
#include "model/material_files.hpp"
#include "solver/element_fields.hpp"

namespace ef {

// Elastic velocities of material m by Gassmann's relation (P) and from the
// relaxed shear modulus (S), with the density of the material file.
struct ElasticVelocities {
    double vpe;
    double vse;
};
ElasticVelocities gassmann_velocities(const RunParams& p, const MaterialModuli& moduli, int m);

// Rejects (RunError) a deck whose grid uses a material with a non-finite
// elastic border velocity: every absorbing term, and so the whole field,
// would be NaN.
void check_border_velocities(const RunParams& p, const ProcessGrid& a1,
                             const MaterialModuli& moduli);

// Fills el.xln, el.xmu, el.rho over i = 0..nx+1, j = 0..ny+1 (and, when
// border_velocities is set, the eight border velocity arrays), stopping with
// codes 1 to 4 on a negative phase velocity or inverse quality factor, and
// writes the monitoring records to units 10 to 13.
void set_element_properties(Units& units, const RunParams& p, const ProcessGrid& a1,
                            const MaterialModuli& moduli, int jw, double fjw,
                            bool border_velocities, ElementFields& el);

// lambda_gnu (unit 78), mu_gnu (unit 88), vp33_gnu (unit 68).
void write_model_files(Units& units, int nx, int ny, const ElementFields& el);

}  // namespace ef
