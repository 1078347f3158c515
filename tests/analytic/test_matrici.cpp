#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analytic/u_analitico.h"
#include "analytic/u_matrici.h"
#include "geometric/u_geometrico.h"

namespace {

template <int N>
std::unique_ptr<FixedMatrix<N>> Make(int rows, int cols, std::vector<long double> rowMajor = {}) {
    auto m = std::make_unique<FixedMatrix<N>>();
    m->Rows = rows;
    m->Cols = cols;
    for (int i = 0; i < static_cast<int>(rowMajor.size()); ++i)
        m->Cell[i / cols + 1][i % cols + 1] = rowMajor[i];
    return m;
}

template <int N>
bool ZeroOutsideBlock(const FixedMatrix<N>& m) {
    for (int i = 1; i <= N; ++i)
        for (int j = 1; j <= N; ++j)
            if ((i > m.Rows || j > m.Cols) && m.Cell[i][j] != 0) return false;
    return true;
}

// Collects what the small family reports.
struct SinkRecorder {
    std::vector<std::string> texts;
    SinkRecorder() {
        SetMatrixErrorSink([this](const std::string& t) { texts.push_back(t); });
    }
    ~SinkRecorder() { SetMatrixErrorSink({}); }
};

template <typename M>
class InversionTest : public ::testing::Test {};
using Families = ::testing::Types<Matrix, SmallMatrix>;
TYPED_TEST_SUITE(InversionTest, Families);

TYPED_TEST(InversionTest, OneByOne) {
    constexpr int N = TypeParam::Bound;
    auto a = Make<N>(1, 1, {0.5L});
    auto b = Make<N>(0, 0);
    EXPECT_EQ(InvertMatrix(*a, *b), InversionStatus::Done);
    EXPECT_EQ(b->Cell[1][1], 2.0L);
    EXPECT_EQ(b->Name, "INVERSA");
    EXPECT_EQ(b->Rows, 1);
    EXPECT_EQ(b->Cols, 1);

    // The pivot test is strict: exactly the tolerance is still a pivot.
    a = Make<N>(1, 1, {PivotTolerance});
    EXPECT_EQ(InvertMatrix(*a, *b), InversionStatus::Done);
    a = Make<N>(1, 1, {1e-11L});
    EXPECT_EQ(InvertMatrix(*a, *b), InversionStatus::Singular);
}

TYPED_TEST(InversionTest, ZeroPivotExchangesRows) {
    constexpr int N = TypeParam::Bound;
    auto a = Make<N>(2, 2, {0, 1, 1, 0});
    auto b = Make<N>(0, 0);
    ASSERT_EQ(InvertMatrix(*a, *b), InversionStatus::Done);
    EXPECT_EQ(b->Cell[1][1], 0);
    EXPECT_EQ(b->Cell[1][2], 1);
    EXPECT_EQ(b->Cell[2][1], 1);
    EXPECT_EQ(b->Cell[2][2], 0);
    // A is left reduced to the identity.
    EXPECT_EQ(a->Cell[1][1], 1);
    EXPECT_EQ(a->Cell[2][1], 0);
}

TYPED_TEST(InversionTest, SingularAndEmpty) {
    constexpr int N = TypeParam::Bound;
    auto a = Make<N>(2, 2, {1, 2, 2, 4});
    auto b = Make<N>(0, 0);
    EXPECT_EQ(InvertMatrix(*a, *b), InversionStatus::Singular);

    // A candidate of exactly the tolerance is not taken for the exchange.
    a = Make<N>(2, 2, {0, 1, PivotTolerance, 1});
    EXPECT_EQ(InvertMatrix(*a, *b), InversionStatus::Singular);

    a = Make<N>(0, 0);
    for (int i = 1; i <= N; ++i)
        for (int j = 1; j <= N; ++j) b->Cell[i][j] = 7;
    EXPECT_EQ(InvertMatrix(*a, *b), InversionStatus::OrderBelowOne);
    for (int i = 1; i <= N; ++i)
        for (int j = 1; j <= N; ++j) ASSERT_EQ(b->Cell[i][j], 7);
}

TYPED_TEST(InversionTest, GeneralMatrixAndTolerancePolicy) {
    constexpr int N = TypeParam::Bound;
    constexpr int n = 7;
    std::mt19937_64 gen(11);
    std::uniform_real_distribution<double> u(-1, 1);
    auto a = Make<N>(n, n);
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) a->Cell[i][j] = u(gen) + (i == j ? 3 : 0);
    a->Cell[1][1] = 0;  // forces an exchange at the first step
    const auto copy = std::make_unique<FixedMatrix<N>>(*a);
    auto b = Make<N>(0, 0);
    ASSERT_EQ(InvertMatrix(*a, *b), InversionStatus::Done);
    EXPECT_TRUE(ZeroOutsideBlock(*b));
    auto prod = Make<N>(0, 0);
    MultiplyMatrix(*copy, *b, *prod);
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            EXPECT_NEAR(static_cast<double>(prod->Cell[i][j]), i == j ? 1.0 : 0.0, 1e-15);

    // Only the small family reports a failure to the sink.
    SinkRecorder sink;
    auto s = Make<N>(2, 2, {1, 2, 2, 4});
    InvertMatrix(*s, *b);
    if (N == 20) {
        ASSERT_EQ(sink.texts.size(), 1u);
        EXPECT_EQ(sink.texts[0], "Si è verificato un errore!");
    } else {
        EXPECT_TRUE(sink.texts.empty());
    }
}

TEST(MatrixRoutines, MultiplyIsTheTextbookSumInKOrder) {
    std::mt19937_64 gen(5);
    std::uniform_real_distribution<double> u(-1e3, 1e3);
    // 37 x 23 times 23 x 42: full strips of columns and a remainder.
    auto a = Make<300>(37, 23);
    auto b = Make<300>(23, 42);
    for (int i = 1; i <= 37; ++i)
        for (int k = 1; k <= 23; ++k) a->Cell[i][k] = u(gen) / 3.0L;
    for (int k = 1; k <= 23; ++k)
        for (int j = 1; j <= 42; ++j) b->Cell[k][j] = u(gen) / 7.0L;
    auto c = Make<300>(0, 0);
    for (int i = 1; i <= 300; ++i)
        for (int j = 1; j <= 300; ++j) c->Cell[i][j] = 9;  // stale content
    MultiplyMatrix(*a, *b, *c);
    EXPECT_EQ(c->Name, "PRODOTTO");
    EXPECT_EQ(c->Rows, 37);
    EXPECT_EQ(c->Cols, 42);
    for (int i = 1; i <= 37; ++i) {
        for (int j = 1; j <= 42; ++j) {
            long double sum = 0;
            for (int k = 1; k <= 23; ++k) sum += a->Cell[i][k] * b->Cell[k][j];
            ASSERT_EQ(c->Cell[i][j], sum) << i << "," << j;  // bit for bit
        }
    }
    EXPECT_TRUE(ZeroOutsideBlock(*c));
}

TEST(MatrixRoutines, ElementaryRoutines) {
    auto a = Make<20>(2, 3, {1, 2, 3, 4, 5, 6});
    auto t = Make<20>(0, 0);
    TransposeMatrix(*a, *t);
    EXPECT_EQ(t->Name, "TRASP");
    EXPECT_EQ(t->Rows, 3);
    EXPECT_EQ(t->Cols, 2);
    EXPECT_EQ(t->Cell[3][1], 3);
    EXPECT_EQ(t->Cell[1][2], 4);

    auto s = Make<20>(0, 0);
    AddMatrix(*a, *a, *s);
    EXPECT_EQ(s->Name, "SOMMA");
    EXPECT_EQ(s->Cell[2][3], 12);

    a->Cell[5][5] = 1;  // outside the block: cleared by the scaling
    ScaleMatrix(*a, -2.0L);
    EXPECT_EQ(a->Cell[2][2], -10);
    EXPECT_TRUE(ZeroOutsideBlock(*a));

    IdentityMatrix(*a);
    EXPECT_EQ(a->Name, "");
    EXPECT_EQ(a->Cell[20][20], 1);
    EXPECT_EQ(a->Cell[1][2], 0);
}

TEST(MatrixRoutines, UnitVariance) {
    auto v = Make<20>(3, 1, {1, 2, 2});
    auto p = Make<20>(3, 3, {1, 5, 5, 5, 2, 5, 5, 5, 1});  // only the diagonal counts
    EXPECT_EQ(UnitVariance(*v, *p, 1), (1 + 8 + 4) / 2.0L);
    EXPECT_EQ(UnitVariance(*v, *p, 3), 0);  // no redundancy

    auto zero = Make<20>(3, 1);
    EXPECT_EQ(UnitVariance(*zero, *p, 1), 0);
    // A quotient of 1e-21 is below the floor; 1e-19 is kept.
    auto tiny = Make<20>(1, 1, {std::sqrt(1e-21L)});
    auto one = Make<20>(1, 1, {1});
    EXPECT_EQ(UnitVariance(*tiny, *one, 0), 0);
    tiny->Cell[1][1] = std::sqrt(1e-19L);
    EXPECT_GT(UnitVariance(*tiny, *one, 0), 0);
}

TEST(MatrixRoutines, StandardizeResiduals) {
    auto v = Make<20>(3, 1, {2, -3, 5});
    auto s = Make<20>(3, 3, {4, 1, 1, 1, 0, 1, 1, 1, 0.25L});
    auto r = Make<20>(0, 0);
    r->Cell[7][1] = 3;
    StandardizeResiduals(*v, *s, *r);
    EXPECT_EQ(r->Rows, 3);
    EXPECT_EQ(r->Cols, 1);
    EXPECT_EQ(r->Cell[1][1], 1);
    EXPECT_EQ(r->Cell[2][1], 0);  // zero variance gives 0, not a division by zero
    EXPECT_EQ(r->Cell[3][1], 10);
    EXPECT_EQ(r->Cell[7][1], 0);

    // A negative variance is rounding around 0: no square root of it is taken.
    s->Cell[2][2] = -1e-30L;
    std::feclearexcept(FE_ALL_EXCEPT);
    StandardizeResiduals(*v, *s, *r);
    EXPECT_EQ(r->Cell[2][1], 0);
    EXPECT_FALSE(std::fetestexcept(FE_INVALID));
}

TYPED_TEST(InversionTest, UnknownsAndResidualsOfBothFamilies) {
    constexpr int N = TypeParam::Bound;
    // x = Ninv * rhs with Ninv = diag(1/2, 1/4), then v = A x - l.
    auto a = Make<N>(3, 2, {1, 0, 0, 1, 1, 1});
    auto l = Make<N>(3, 1, {1, 2, 0.1L});
    auto ninv = Make<N>(2, 2, {0.5L, 0, 0, 0.25L});
    auto rhs = Make<N>(2, 1, {3, 8});
    auto x = Make<N>(0, 0), ax = Make<N>(0, 0), v = Make<N>(0, 0);
    x->Cell[N][N] = 5;  // stale content is cleared
    ComputeUnknownsAndResiduals(*a, *l, *ninv, *rhs, *x, *ax, *v);
    EXPECT_EQ(x->Name, "INCOGNIT");
    EXPECT_EQ(ax->Name, "NEWNOTI");
    EXPECT_EQ(v->Name, "RESIDUI");
    EXPECT_EQ(x->Cell[1][1], 1.5L);
    EXPECT_EQ(x->Cell[2][1], 2);
    EXPECT_EQ(ax->Cell[3][1], 3.5L);
    EXPECT_EQ(v->Cell[1][1], 0.5L);  // computed minus observed
    EXPECT_EQ(v->Cell[2][1], 0);
    EXPECT_EQ(v->Cell[3][1], 3.5L - 0.1L);
    EXPECT_EQ(l->Cell[3][1], 0.1L);  // restored exactly
    EXPECT_TRUE(ZeroOutsideBlock(*x));
    EXPECT_TRUE(ZeroOutsideBlock(*v));
}

TEST(GeometricMatrices, Determinant) {
    auto m = Make<20>(2, 2, {0, 1, 1, 0});
    EXPECT_EQ(Determinant(*m), -1.0L);
    m = Make<20>(1, 1, {7});
    EXPECT_EQ(Determinant(*m), 7.0L);
    m = Make<20>(0, 0);
    EXPECT_FALSE(Determinant(*m).has_value());
    m = Make<20>(3, 3, {2, 0, 1, 1, 3, 2, 1, 1, 2});
    EXPECT_NEAR(static_cast<double>(*Determinant(*m)), 6.0, 1e-15);
    m = Make<20>(3, 3, {1, 2, 3, 2, 4, 6, 1, 0, 1});  // second pivot vanishes, no row to take
    EXPECT_EQ(Determinant(*m), 0.0L);
}

// Line fit X = a + b t through (0, 1), (1, 3), (2, 4), (3, 8), in closed
// form: mean t = 1.5, Stt = 5, Sty = 11, so b = 2.2 and a = 4 - 1.5 b = 0.7.
struct LineFit {
    static constexpr int m = 4;
    long double t[m] = {0, 1, 2, 3};
    long double obs[m] = {1, 3, 4, 8};
    long double a = 0.7L, b = 2.2L;
    long double v[m] = {};
    long double s2 = 0, varA = 0, varB = 0;
    long double lev[m] = {};
    LineFit() {
        for (int i = 0; i < m; ++i) v[i] = a + b * t[i] - obs[i];
        long double ss = 0;
        for (long double r : v) ss += r * r;
        s2 = ss / (m - 2);
        varB = s2 / 5;
        varA = s2 * (1.0L / m + 1.5L * 1.5L / 5);
        for (int i = 0; i < m; ++i) lev[i] = 1.0L / m + (t[i] - 1.5L) * (t[i] - 1.5L) / 5;
    }
};

TEST(LeastSquares, WeightedSolveOfALineFit) {
    const LineFit fit;
    auto a = Make<300>(4, 2);
    auto l = Make<300>(4, 1);
    auto p = Make<300>(0, 0);
    IdentityMatrix(*p);
    p->Rows = p->Cols = 4;
    for (int i = 1; i <= 4; ++i) {
        a->Cell[i][1] = 1;
        a->Cell[i][2] = fit.t[i - 1];
        l->Cell[i][1] = fit.obs[i - 1];
    }
    auto out = std::make_unique<LeastSquaresSolution>();
    auto work = std::make_unique<LeastSquaresWork>();
    ASSERT_EQ(SolveLeastSquares(*a, *l, *p, *out, *work), InversionStatus::Done);
    EXPECT_EQ(a->Name, "A");
    EXPECT_EQ(l->Name, "NOT1");
    EXPECT_EQ(l->Cell[2][1], 3);  // restored after the sign change
    EXPECT_EQ(out->x.Name, "INCOGNIT");
    EXPECT_EQ(out->v.Name, "RESIDUI");
    EXPECT_EQ(out->R.Name, "RESSTAN");
    EXPECT_EQ(out->SigmaV.Name, "SIGVV");
    EXPECT_EQ(out->SigmaX.Name, "SIGXX");
    const double tol = 1e-15;
    EXPECT_NEAR(static_cast<double>(out->x.Cell[1][1]), static_cast<double>(fit.a), tol);
    EXPECT_NEAR(static_cast<double>(out->x.Cell[2][1]), static_cast<double>(fit.b), tol);
    EXPECT_NEAR(static_cast<double>(out->sigma0Squared), static_cast<double>(fit.s2), tol);
    EXPECT_NEAR(static_cast<double>(out->SigmaX.Cell[1][1]), static_cast<double>(fit.varA), tol);
    EXPECT_NEAR(static_cast<double>(out->SigmaX.Cell[2][2]), static_cast<double>(fit.varB), tol);
    for (int i = 1; i <= 4; ++i) {
        EXPECT_NEAR(static_cast<double>(out->v.Cell[i][1]), static_cast<double>(fit.v[i - 1]), tol);
        const long double sv = fit.s2 * (1 - fit.lev[i - 1]);
        EXPECT_NEAR(static_cast<double>(out->SigmaV.Cell[i][i]), static_cast<double>(sv), tol);
        EXPECT_NEAR(static_cast<double>(out->R.Cell[i][1]),
                    static_cast<double>(fit.v[i - 1] / std::sqrt(sv)), 1e-14);
    }
}

TEST(LeastSquares, UnweightedSolveOfALineFit) {
    const LineFit fit;
    SmallMatrix a{}, l{};
    a.Rows = 4;
    a.Cols = 2;
    l.Rows = 4;
    l.Cols = 1;
    for (int i = 1; i <= 4; ++i) {
        a.Cell[i][1] = 1;
        a.Cell[i][2] = fit.t[i - 1];
        l.Cell[i][1] = fit.obs[i - 1];
    }
    SinkRecorder sink;
    UnweightedSolution out;
    ASSERT_EQ(SolveUnweighted(a, l, out), InversionStatus::Done);
    EXPECT_TRUE(sink.texts.empty());
    EXPECT_NEAR(static_cast<double>(out.x.Cell[1][1]), static_cast<double>(fit.a), 1e-15);
    EXPECT_NEAR(static_cast<double>(out.x.Cell[2][1]), static_cast<double>(fit.b), 1e-15);
    EXPECT_NEAR(static_cast<double>(out.sigma0Squared), static_cast<double>(fit.s2), 1e-15);
    EXPECT_NEAR(static_cast<double>(out.SigmaX.Cell[2][2]), static_cast<double>(fit.varB), 1e-15);
    EXPECT_NEAR(static_cast<double>(out.v.Cell[4][1]), static_cast<double>(fit.v[3]), 1e-15);
    EXPECT_EQ(l.Cell[4][1], 8);

    // Two identical columns: the determinant test and the inversion both report.
    for (int i = 1; i <= 4; ++i) a.Cell[i][2] = 1;
    SolveUnweighted(a, l, out);
    EXPECT_EQ(sink.texts.size(), 2u);
}

}  // namespace
