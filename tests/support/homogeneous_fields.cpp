#include "support/homogeneous_fields.hpp"

namespace ef::test {

ElementFields homogeneous_fields(const ElasticMedium& m, int nx, int ny) {
    ElementFields el(nx, ny);
    el.xln.fill(Complex{m.lambda, 0.0});
    el.xmu.fill(Complex{m.mu, 0.0});
    el.rho.fill(m.rho);
    for (auto* v : {&el.vpleft, &el.vpright, &el.vpbot, &el.vptop}) v->assign(v->size(), Complex{m.vp(), 0.0});
    for (auto* v : {&el.vsleft, &el.vsright, &el.vsbot, &el.vstop}) v->assign(v->size(), Complex{m.vs(), 0.0});
    return el;
}

}  // namespace ef::test
