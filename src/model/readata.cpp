// The input deck: records read from unit 5 in their fixed order, the run
// summary echoed on unit 6, the checks with their stop codes, and the model
// set-up computed between the reads (grid, materials, sampling, source,
// receivers, material map and its files).
#include "model/readata.hpp"

#include <new>
#include <span>
#include <string>
#include <vector>

#include "common/format.hpp"
#include "common/stop.hpp"
#include "model/deck_faults.hpp"
#include "model/geometry.hpp"
#include "model/material_map_files.hpp"
#include "model/materials.hpp"
#include "model/nyquist_warning.hpp"
#include "model/receiver_bounds.hpp"
#include "model/sampling.hpp"
#include "model/source_wavelet.hpp"

namespace ef {

namespace {

constexpr int kDeck = 5;
constexpr int kOut = 6;

std::string indexed(const char* name, int k, const char* record) {
    return std::string(name) + "(" + std::to_string(k) + ") (" + record + ")";
}

// Tables indexed 1..n (index 0 unused).
std::vector<double> table(int n) {
    return std::vector<double>(static_cast<std::size_t>(n > 0 ? n : 0) + 1, 0.0);
}

// Reads, echoes and checks the deck in its fixed order. Values the model
// cannot use are refused right before their first use, so that everything the
// deck prints before that point is unchanged. The summary lines are written
// verbatim, each format next to its write, and so repeat one shape record
// after record on purpose.
class DeckReader {
public:
    DeckReader(Units& units, ProcessGrid& a1, const BuildLimits& limits, RunParams& p)
        : units_(units), a1_(a1), limits_(limits), p_(p) {}

    void run() {
        grid_records();
        domain_sizes();
        sampling_records();
        material_records();
        time_sampling();
        source_position();
        receivers();
        frequency_band();
        check_wavelet_type(p_);
        build_source(units_, a1_, p_);
        material_regions();
        extend_border(p_.matnum);
        write_material_map_files(units_, p_.matnum, p_.h);
        // The sweep reads the materials of this process's block through
        // matnum; a block reaching past the rounded grid is refused here.
        check_block_in_grid(a1_, p_);
    }

private:
    std::int32_t read_i5(const std::string& what) { return units_.read_i5(kDeck, what); }
    double read_e20(const std::string& what) {
        return require_finite(units_.read_e20(kDeck, 8, what), what);
    }
    double read_list(const std::string& what) {
        return require_finite(units_.read_list(kDeck, what), what);
    }

    // A summary line, printed only by the controlling process.
    void gated(const Format& f, std::initializer_list<Item> items = {}) {
        if (a1_.prints()) units_.write(kOut, f, items);
    }
    void gated(const Format& f, const std::vector<Item>& items) {
        if (a1_.prints()) units_.write(kOut, f, std::span<const Item>(items));
    }
    void list_line(std::initializer_list<Item> items) { units_.list(kOut, items); }
    void empty_list_line() { units_.list(kOut, std::span<const Item>()); }

    // Records 1 to 7, the local grid and the row limit.
    void grid_records() {
        p_.maxlow = read_i5("maxlow (record 1)");
        p_.perclow = read_e20("perclow (record 2)");
        a1_.nsx = read_i5("nsx (record 3)");
        a1_.nsy = read_i5("nsy (record 4)");
        a1_.ncontrol = read_i5("ncontrol (record 5)");
        p_.ngx = read_i5("ngx (record 6)");
        p_.ngy = read_i5("ngy (record 7)");
        check_grid_counts(a1_, p_.ngx, p_.ngy);
        p_.nx = p_.ngx / a1_.nsx;
        p_.ny = p_.ngy / a1_.nsy;

        static const Format subdomains("(/1x,'# subdomains  in x-direction nsx = ',i5,/,                   1x,'# subdomains  in y-direction nsy = ',i5)");
        static const Format control("(/1x,'# control subdomain ncontrol = ',i5)");
        static const Format global("(/1x,'Global # elements  in x-direction ngx = ',i5,/,              1x, 'Global # elements  in y-direction ngy = ',i5)");
        static const Format local("(/1x,'Local # elements  in x-direction nx = ',i5,/,                1x, 'Local # elements  in y-direction ny = ',i5)");
        gated(subdomains, {a1_.nsx, a1_.nsy});
        gated(control, {a1_.ncontrol});
        gated(global, {p_.ngx, p_.ngy});
        gated(local, {p_.nx, p_.ny});

        if (p_.nx > limits_.row_limit) throw StopRun{77};
        if (p_.ny > limits_.row_limit) throw StopRun{77};
        check_global_grid(limits_, p_.ngx, p_.ngy);
    }

    // Records 8 and 9: block sizes from the sizes as read, then the mesh size
    // and the sizes rounded to whole square elements.
    void domain_sizes() {
        p_.xsize = read_e20("xsize (record 8)");
        p_.ysize = read_e20("ysize (record 9)");
        check_domain_sizes(p_.xsize, p_.ysize);
        p_.hpx = p_.xsize / a1_.nsx;
        p_.hpy = p_.ysize / a1_.nsy;

        static const Format block_size("(/1x,' processor grid size in the x-dir  hpx = ',g20.8,/,          1x, ' processor grid size in the y-dir  hpy  = ',g20.8)");
        static const Format xsize_line("(/1x,' domain size xsize = ',e20.8,' m')");
        static const Format ysize_line("(/1x,' domain size ysize = ',e20.8,' m')");
        static const Format low_range("(/1x,'  maxlow (max.iter. in low freq range ) = ',          i6,' perclow ( perc. of(low) freq. solved with maxlow = ',        e20.8)");
        gated(block_size, {p_.hpx, p_.hpy});
        gated(xsize_line, {p_.xsize});
        gated(ysize_line, {p_.ysize});
        gated(low_range, {p_.maxlow, p_.perclow});

        const MeshSize mesh = mesh_size(p_.xsize, p_.ysize, p_.ngx, p_.ngy);
        extent_ = {p_.xsize, p_.ysize, mesh.ysize, mesh.h};
        p_.h = mesh.h;
        p_.xsize = mesh.xsize;
        p_.ysize = mesh.ysize;
        static const Format rounded("(/1x,' rounded xsize = ',e20.8,' m ; ',/,                        ' rounded ysize = ',e20.8,' m '/)");
        gated(rounded, {p_.xsize, p_.ysize});
    }

    // Records 10 to 21: snapshots, quadrature, band, wavelet, iteration
    // control. A count is checked before any value it counts is stored.
    void sampling_records() {
        p_.nsnapf = read_i5("nsnapf (record 10)");
        if (p_.nsnapf > kMaxSnapshots) throw StopRun{5183};
        p_.fsnap = table(p_.nsnapf);
        if (p_.nsnapf < 1) {
            units_.read_record(kDeck, "fsnap (record 11, read and ignored when nsnapf < 1)");
        }
        for (int j = 1; j <= p_.nsnapf; ++j) p_.fsnap[j] = read_e20(indexed("fsnap", j, "record 11"));

        p_.nsnapt = read_i5("nsnapt (record 12)");
        if (p_.nsnapt > kMaxSnapshots) throw StopRun{6183};
        p_.tsnap = table(p_.nsnapt);
        for (int j = 1; j <= p_.nsnapt; ++j) p_.tsnap[j] = read_list(indexed("tsnap", j, "record 13"));

        p_.keyqua = read_i5("keyqua (record 14)");
        p_.npf = read_i5("npf (record 15)");
        p_.key = read_i5("key (record 16)");
        p_.freq = read_e20("freq (record 17)");
        p_.stime = read_e20("stime (record 18)");
        p_.f1 = read_e20("f1 (record 19)");
        p_.f2 = read_e20("f2 (record 19)");
        p_.f3 = read_e20("f3 (record 19)");
        p_.f4 = read_e20("f4 (record 19)");
        p_.maxiter = read_i5("maxiter (record 20)");
        p_.reduc = read_e20("reduc (record 21)");
        source_frequency(p_);

        static const Format mesh("(/1x,' mesh size h= ',e20.8,' m')");
        static const Format nsnapf_line("(/1x,' number of snapshots in freq. domain= ',i5)");
        static const Format fsnap_table("(/1x,' freq. to compute  snapshots in freq.domain',/,            i5,3x,e20.8,' kHz')");
        static const Format nsnapt_line("(/1x,' number of snapshots in time domain= ',i5)");
        static const Format tsnap_table("(/1x,' times to compute  snapshots in time domain',/,            i5,3x,e20.8,' msec')");
        static const Format keyqua_line("(/1x,' quadrature choice=1,standard,=2,mid point',/,                  '  keyqua = ',i5)");
        static const Format npf_line("(/1x,' number of points to compute solution= ',/,                      ' in the frequency domain    npf  = ',i5)");
        static const Format key_line("(/1x,'  key==1 for type 1 source (tidal&crest paper) ;',       /1x,'      key==2 for type 2 source(gaussian derivative)             ;',i5,//)");
        static const Format freq_line("(/1x,'  frequency  freq= ',e20.8,' khz'//)");
        static const Format w0_line("(/1x,' w0 = ',e20.8,'  alfa = ',e20.8,//)");
        static const Format stime_line("(/1x,' total simulation time  stime =  ',e20.8,' msec'/)");
        static const Format maxiter_line("(/1x,'  maxiter =  max. # inner iterations ',i5)");
        static const Format reduc_line("(/1x,'  reduc =  relative error required  ',e20.8)");
        gated(mesh, {p_.h});
        gated(nsnapf_line, {p_.nsnapf});
        gated(fsnap_table, numbered(p_.fsnap, p_.nsnapf));
        gated(nsnapt_line, {p_.nsnapt});
        gated(tsnap_table, numbered(p_.tsnap, p_.nsnapt));
        gated(keyqua_line, {p_.keyqua});
        gated(npf_line, {p_.npf});
        gated(key_line, {p_.key});
        gated(freq_line, {p_.freq});
        gated(w0_line, {p_.w0, p_.alfa});
        gated(stime_line, {p_.stime});
        band_pass_block();
        gated(maxiter_line, {p_.maxiter});
        gated(reduc_line, {p_.reduc});
    }

    void band_pass_block() {
        static const Format band_pass("(/1x,'  parameters of  source band-pass filter',//,                ' set equal to 0. if not filter is desired'//,                    ' f1  = ',e20.8,'   khz ',//,                                     ' f2  = ',e20.8,'   khz ',//,                                     ' f3  = ',e20.8,'   khz ',//,                                     ' f4  = ',e20.8,'   khz ',//)");
        gated(band_pass, {p_.f1, p_.f2, p_.f3, p_.f4});
    }

    // Pairs j, values(j) for j = 1..n.
    static std::vector<Item> numbered(const std::vector<double>& values, int n) {
        std::vector<Item> items;
        for (int j = 1; j <= n; ++j) {
            items.emplace_back(j);
            items.emplace_back(values[j]);
        }
        return items;
    }
    static std::vector<Item> numbered(const std::vector<std::int32_t>& values, int n) {
        std::vector<Item> items;
        for (int j = 1; j <= n; ++j) {
            items.emplace_back(j);
            items.emplace_back(values[j]);
        }
        return items;
    }

    // Records 22 to 33: the material tables, their bounds and the Liu model.
    void material_records() {
        p_.nmat = read_i5("nmat (record 22)");
        if (p_.nmat > kMaxMaterials) throw StopRun{222};
        require_at_least_one("nmat", "record 22", p_.nmat, "the number of materials");
        const int n = p_.nmat;
        for (auto* t : {&p_.ros, &p_.xkr, &p_.xmur, &p_.deltp, &p_.delts, &p_.phi, &p_.rosaux,
                        &p_.kf, &p_.ks, &p_.fq1, &p_.fq2, &p_.xmr, &p_.ve, &p_.qp, &p_.const_,
                        &p_.tau1, &p_.tau2})
            *t = table(n);
        for (int m = 1; m <= n; ++m) p_.ros[m] = read_list(indexed("ros", m, "record 23"));
        read_table(p_.xkr, "xkr", "record 24");
        read_table(p_.xmur, "xmur", "record 25");
        read_table(p_.deltp, "deltp", "record 26");
        read_table(p_.delts, "delts", "record 27");
        read_table(p_.phi, "phi", "record 28");
        read_table(p_.rosaux, "rosaux", "record 29");
        read_table(p_.kf, "kf", "record 30");
        read_table(p_.ks, "ks", "record 31");
        read_i5("iaux (record 32)");
        scale_materials(p_);

        static const Format nmat_line("(/1x,' number of materials (nmat) = ',i5)");
        static const Format moduli_header("(/1x,' mat. number   density (ros)    bulk modulus (xkr)',        '   Shear modulus (xmur)'//)");
        static const Format moduli_table("(1x,i5,7x,e15.6,2x,e15.6,7x,e15.6/)");
        static const Format decrement_header("(/1x,' mat. number  deltp (p-log.decr.)    ',                       ' delts (s-log.decr.)   '//)");
        static const Format decrement_table("(1x,i5,7x,e15.6,7x,e15.6/)");
        std::vector<Item> moduli, decrements;
        for (int m = 1; m <= n; ++m) {
            moduli.insert(moduli.end(), {m, p_.ros[m], p_.xkr[m], p_.xmur[m]});
            decrements.insert(decrements.end(), {m, p_.deltp[m], p_.delts[m]});
        }
        gated(nmat_line, {p_.nmat});
        gated(moduli_header);
        gated(moduli_table, moduli);
        gated(decrement_header);
        gated(decrement_table, decrements);
        gated(moduli_header);
        gated(moduli_table, moduli);

        material_bounds(p_);
        static const Format moduli_bounds("(/1x,' bulmin-umin-bulmax-umax   ',//,1x,4e15.5/)");
        static const Format pp_bounds("(/1x,'minimum  phase pp velocity   = ',e12.5,' m/msec',//             ' maximum  phase pp velocity  = ',e12.5,' m/msec'//)");
        static const Format ss_bounds("(/1x,'minimum  phase ss velocity   = ',e12.5,' m/msec',//            ' maximum  phase ss velocity  = ',e12.5,' m/msec'//)");
        static const Format first_two("(/1x,'phase  velocity  pp1 = ',e12.5,' m/msec',//                    ' phase velocity pp2 = ',e12.5,' m/msec',//                       ' phase velocity ss1 = ',e12.5,' m/msec',//                       ' phase velocity ss2 = ',e12.5,' m/msec'//)");
        gated(moduli_bounds, {p_.bulmin, p_.umin, p_.bulmax, p_.umax});
        gated(pp_bounds, {p_.ppmin, p_.ppmax});
        gated(ss_bounds, {p_.ssmin, p_.ssmax});
        gated(first_two, {p_.pp1, p_.pp2, p_.ss1, p_.ss2});

        for (int m = 1; m <= n; ++m) {
            p_.fq1[m] = read_e20(indexed("fq1", m, "record 33"));
            p_.fq2[m] = read_e20(indexed("fq2", m, "record 33"));
            liu_quantities(p_, m);
        }
        static const Format liu_header("(/1x,'  mat. number      fq1                     fq2',                '    (Liu model)  ',/)");
        static const Format liu_table("(/1x,i5,2x,e20.8,' kHz ',e20.8,' kHz')");
        static const Format qp_header("(/1x,' material number     qp(i)  (Liu model)',/)");
        static const Format qp_table("(/1x,i5,8x,e20.8)");
        static const Format tau_header("(/1x,' material number     const(i)       tau1(i)(msec)  ',            '        tau2 (i)(msec) '/)");
        static const Format tau_table("(/1x,i5,10x,e15.6,3x,e15.6,8x,e15.6)");
        static const Format speed_header("(/1x, 'Material  Number               Ref. Speed ve   ',               ' relaxed  plane wave modulus xmr'/)");
        static const Format speed_line("(/8x,i5,15x,e15.5,5x,e15.5)");
        std::vector<Item> liu, qp, tau;
        for (int m = 1; m <= n; ++m) {
            liu.insert(liu.end(), {m, p_.fq1[m], p_.fq2[m]});
            qp.insert(qp.end(), {m, p_.qp[m]});
            tau.insert(tau.end(), {m, p_.const_[m], p_.tau1[m], p_.tau2[m]});
        }
        gated(liu_header);
        gated(liu_table, liu);
        gated(qp_header);
        gated(qp_table, qp);
        gated(tau_header);
        gated(tau_table, tau);
        gated(speed_header);
        for (int m = 1; m <= n; ++m) gated(speed_line, {m, p_.ve[m], p_.xmr[m]});
    }

    // nmat records of "(e20.8)".
    void read_table(std::vector<double>& t, const char* name, const char* record) {
        for (int m = 1; m <= p_.nmat; ++m) t[m] = read_e20(indexed(name, m, record));
    }

    // Time step and trace length, records 34 and 35, mute.
    void time_sampling() {
        time_step(p_);
        check_time_step(p_);
        if (p_.nt > kMaxTimeSamples) throw StopRun{999};
        p_.kdel = read_i5("kdel (record 34)");
        p_.tmute = read_e20("tmute (record 35)");
        static const Format dt_line("(/1x,' time step  dt = ',e20.8,' msec'//)");
        static const Format nt_line("(/1x,' number of time steps  nt = ',i6//)");
        static const Format kdel_line("(/1x,' kdel=0 : delta, kdel = 1:  d/dx(delta). kdel = ',i6)");
        gated(dt_line, {p_.dt});
        gated(nt_line, {p_.nt});
        gated(kdel_line, {p_.kdel});
        mute_samples(p_);
        static const Format mute_line("(/1x,'  mute in msec  tmute = ',e20.8,/,                  ' mute in samples   ntmute = ',i5/)");
        gated(mute_line, {p_.tmute, p_.ntmute});
    }

    BlockLayout layout() const { return {a1_.nsx, a1_.nsy, p_.hpx, p_.hpy, p_.h}; }

    // Records 36 and 37: the source, moved inside the grid, and its element.
    void source_position() {
        p_.xsou = read_e20("xsou (record 36)");
        p_.ysou = read_e20("ysou (record 36)");
        p_.xsou = clamp_source(p_.xsou, p_.xsize, p_.h);
        p_.ysou = clamp_source(p_.ysou, p_.ysize, p_.h);
        p_.nrec = read_i5("nrec (record 37)");
        if (p_.nrec > kMaxReceivers) throw StopRun{9920};

        const LocalPosition at = locate(layout(), p_.xsou, p_.ysou);
        p_.isdsou = at.block;
        p_.jsou = at.i;
        p_.ksou = at.j;
        static const Format wrong_jsou("(/1x,' wrong jsou = ',i5)");
        static const Format wrong_ksou("(/1x,' wrong ksou = ',i5)");
        if (p_.jsou < 1 || p_.jsou > p_.nx) {
            gated(wrong_jsou, {p_.jsou});
            throw StopRun{666};
        }
        if (p_.ksou < 1 || p_.ksou > p_.ny) {
            gated(wrong_ksou, {p_.ksou});
            throw StopRun{666};
        }
        static const Format source_element("(/1x,' jsou = ',i5,'  ksou = ',i5)");
        static const Format source_point("(/1x,' xsou = ',e20.8,' m ysou = ',e20.8,' m')");
        static const Format nrec_line("(/1x,' number of receivers, nrec = ',i5)");
        gated(source_element, {p_.jsou, p_.ksou});
        gated(source_point, {p_.xsou, p_.ysou});
        gated(nrec_line, {p_.nrec});
    }

    // Record group 38: the receiver line and the element of every receiver.
    void receivers() {
        p_.xinic = read_list("xinic (record 38)");
        p_.yinic = read_list("yinic (record 38)");
        p_.xfin = read_list("xfin (record 38)");
        p_.yfin = read_list("yfin (record 38)");
        list_line({" xinic ", p_.xinic});
        empty_list_line();
        list_line({" yinic ", p_.yinic});
        empty_list_line();
        list_line({" xfin ", p_.xfin});
        empty_list_line();
        list_line({" yfin ", p_.yfin});
        empty_list_line();
        if (p_.nrec < 2) throw PlainStop{};

        p_.deltarecx = (p_.xfin - p_.xinic) / (p_.nrec - 1);
        p_.deltarecy = (p_.yfin - p_.yinic) / (p_.nrec - 1);
        list_line({" deltarecx ", p_.deltarecx});
        empty_list_line();
        list_line({" deltarecy ", p_.deltarecy});
        empty_list_line();

        static const Format receiver_line("(/1x,'receiver i =',i5,3x,'irx & iry = ',2i5,/,15x,              'rx(i) & ry(i) = ', 2g15.8, '  m')");
        static const Format wrong_irx("(/1x,'receiver i =',i5,3x,'irx(i)  = ',i5,                       'nx+1  = ',i5)");
        static const Format wrong_iry("(/1x,'receiver i =',i5,3x,' iry(i)  = ',i5,                      'ny+1  = ',i5)");
        const std::size_t n = static_cast<std::size_t>(p_.nrec) + 1;
        p_.rx.assign(n, 0.0);
        p_.ry.assign(n, 0.0);
        p_.irx.assign(n, 0);
        p_.iry.assign(n, 0);
        for (int i = 1; i <= p_.nrec; ++i) {
            p_.rx[i] = (i - 1) * p_.deltarecx + p_.xinic;
            p_.ry[i] = (i - 1) * p_.deltarecy + p_.yinic;
            const LocalPosition at = locate(layout(), p_.rx[i], p_.ry[i]);
            p_.irx[i] = at.i;
            p_.iry[i] = at.j;
            gated(receiver_line, {i, p_.irx[i], p_.iry[i], p_.rx[i], p_.ry[i]});
            if (p_.irx[i] < 1 || p_.irx[i] > p_.nx + 1) {
                gated(wrong_irx, {i, p_.irx[i], p_.nx + 1});
                throw StopRun{88888};
            }
            if (p_.iry[i] < 1 || p_.iry[i] > p_.ny + 1) {
                gated(wrong_iry, {i, p_.iry[i], p_.ny + 1});
                throw StopRun{88888};
            }
            check_receiver_inside(i, p_.rx[i], p_.ry[i], extent_, layout());
        }
    }

    // Frequency step, band-pass corners, snapshot indices, the band solved.
    void frequency_band() {
        check_frequency_step(p_);
        frequency_step(p_);
        static const Format nyquist_line("(/1x,' nyquist frequency = ',e20.8,' khz')");
        static const Format steps("(/1x,' dt  = ',e20.8,'  msec',//                                      ' delf = ',e20.8,'  khz'//,                                       ' delw = ',e20.8,'  2 pi*khz',//)");
        gated(nyquist_line, {p_.fnyquist});
        gated(steps, {p_.dt, p_.delf, p_.delw});
        band_pass_block();

        check_band_pass(p_);
        band_indices(p_);
        static const Format jwsnap_table("(/1x,' freq. indices for snapshots ',/,i5,2x,i5)");
        static const Format itsnap_table("(/1x,' time steps for snapshots ',/,i5,2x,i5)");
        gated(jwsnap_table, numbered(p_.jwsnap, p_.nsnapf));
        gated(itsnap_table, numbered(p_.itsnap, p_.nsnapt));

        check_quadrature(p_);
        band_limits(p_);
        static const Format corners("(/1x,' if1 if2 if3 if4 =',4i6)");
        static const Format band("(/1x,'jw1 - jw2 - jwlow ',3i7)");
        gated(corners, {p_.if1, p_.if2, p_.if3, p_.if4});
        gated(band, {p_.jw1, p_.jw2, p_.jwlow});
        if (p_.jw2 > kMaxFrequencies) throw StopRun{33377};
        warn_band_above_nyquist(units_, p_);
    }

    // Record group 39: material regions until one with a negative xi.
    void material_regions() {
        try {
            p_.matnum = Grid2<std::int32_t>(p_.ngx, p_.ngy);
        } catch (const std::bad_alloc&) {
            throw RunError("input deck: not enough memory for the material map of ngx x ngy = " +
                           std::to_string(p_.ngx) + " x " + std::to_string(p_.ngy) +
                           " elements");
        }
        static const Format region_line("(1x,' from  xi                     = ',e20.8,' m  ',/                 ' up to xf                     = ',e20.8,' m ',/                  ' from  yi                     = ',e20.8,' m  ',/                 ' up to yf                     = ',e20.8,' m ',/                  ' material type number  numat  = ',i5/)");
        static const Format range_line("(1x,' from  ixi (x-global grid #)    = ',i5,/                         ' up to ixf (x-global grid #)    = ',i5,/                         ' from  iyi (y-global grid #)    = ',i5,/                         ' up to yf  (y-global grid #)    = ',i5,/                         ' material type number  numat    = ',i5/)");
        static const Format wrong_ixi("(/1x,' wrong material description  ixi = ',i5)");
        static const Format wrong_iyi("(/1x,' wrong material description  iyi = ',i5)");
        static const Format wrong_ixf("(/1x,' wrong material description  ixf = ',i5)");
        static const Format wrong_iyf("(/1x,' wrong material description  iyf = ',i5)");
        static const Format wrong_numat("(/1x,' wrong material number numat  = ',i5)");
        for (int region = 1;; ++region) {
            const std::string record = "region " + std::to_string(region) + ", record 39)";
            const double xi = read_e20("xi (" + record);
            const double xf = read_e20("xf (" + record);
            const double yi = read_e20("yi (" + record);
            const double yf = read_e20("yf (" + record);
            const std::int32_t numat = read_i5("numat (" + record);
            read_i5("unused integer (" + record);
            gated(region_line, {xi, xf, yi, yf, numat});
            if (xi < 0.0) break;

            const ElementRange r = region_range(xi, xf, yi, yf, p_.h, p_.ngx, p_.ngy);
            gated(range_line, {r.ixi, r.ixf, r.iyi, r.iyf, numat});
            const auto region_error = [this](const Format& f, std::int32_t value) {
                units_.write(kOut, f, {value});
                throw PlainStop{};
            };
            if (r.ixi < 1 || r.ixi > p_.ngx) region_error(wrong_ixi, r.ixi);
            if (r.iyi < 1 || r.iyi > p_.ngy) region_error(wrong_iyi, r.iyi);
            if (r.ixf > p_.ngx || r.ixf < 1) region_error(wrong_ixf, r.ixf);
            if (r.iyf > p_.ngy || r.iyf < 1) region_error(wrong_iyf, r.iyf);
            if (numat < 1 || numat > p_.nmat) region_error(wrong_numat, numat);
            for (int j = r.iyi; j <= r.iyf; ++j)
                for (int i = r.ixi; i <= r.ixf; ++i) p_.matnum(i, j) = numat;
        }
        check_coverage(p_.matnum);
    }

    Units& units_;
    ProcessGrid& a1_;
    const BuildLimits& limits_;
    RunParams& p_;
    ModelExtent extent_{};  // the sizes as read, for the receiver check
};

}  // namespace

void readata(Units& units, ProcessGrid& a1, const BuildLimits& limits, RunParams& p) {
    DeckReader(units, a1, limits, p).run();
}

}  // namespace ef
