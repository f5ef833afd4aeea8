// The finite-element framework against independent references: profile layout by hand,
// the profile LU solve against dense Gaussian elimination, element Jacobians against the
// analytic Jacobian of synthetic residuals, and the Newton driver's step rejection.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/Hydrodynamics.h"
#include "engine/ModelSetup.h"
#include "engine/TimeStepping.h"
#include "ModelBuilder.h"

namespace {

// Dense solve with partial pivoting: the independent reference.
std::vector<double> DenseSolve(std::vector<std::vector<double>> a, std::vector<double> b)
{
    const int n = static_cast<int>(b.size());
    for (int k = 0; k < n; ++k) {
        int p = k;
        for (int i = k + 1; i < n; ++i)
            if (std::fabs(a[i][k]) > std::fabs(a[p][k])) p = i;
        std::swap(a[k], a[p]);
        std::swap(b[k], b[p]);
        for (int i = k + 1; i < n; ++i) {
            const double f = a[i][k] / a[k][k];
            for (int j = k; j < n; ++j) a[i][j] -= f * a[k][j];
            b[i] -= f * b[k];
        }
    }
    std::vector<double> x(n);
    for (int i = n - 1; i >= 0; --i) {
        double s = b[i];
        for (int j = i + 1; j < n; ++j) s -= a[i][j] * x[j];
        x[i] = s / a[i][i];
    }
    return x;
}

// Dense matrix held in a system's profile (upper by columns, lower by rows).
std::vector<std::vector<double>> DenseFromProfile(const EquationSystem& es)
{
    const int n = es.UnknownCount;
    std::vector<std::vector<double>> a(n, std::vector<double>(n, 0.0));
    for (int c = 0; c < n; ++c) {
        const int height = c == 0 ? 1 : es.DiagonalIndex[c] - es.DiagonalIndex[c - 1];
        for (int r = c - height + 1; r <= c; ++r) {
            a[r][c] = es.UpperProfile[es.DiagonalIndex[c] - (c - r)];
            if (r < c) a[c][r] = es.LowerProfile[es.DiagonalIndex[c] - (c - r)];
        }
    }
    return a;
}

// Synthetic residuals for the hook. The element's nodes carry the unknowns of the system.
int g_SyntheticKind = 0;
double* Unknowns(NodeRecord* n, int system)
{
    switch (system) {
    case HydrodynamicSystem: return n->HydroUnknowns;
    case DynamicIceSystem: return n->IceUnknowns;
    case ThermalIceSystem: return n->ThermalUnknowns;
    default: return n->WQUnknowns;
    }
}

// Kind 0: a smooth nonlinear coupling of every unknown of the element with every other.
// Kind 1: R = 0.5 (target - x) per element end (interior nodes get it twice), boundary
// elements add 0.5 (target - x) again at their node, so every node sees (target - x).
// Kind 2: a residual that is not a number.
std::vector<double> g_Target;
void SyntheticResidual(FiniteElementBase* e, int system)
{
    const int upn = g_EquationSystems[system].UnknownsPerNode;
    const int n = e->NodeCount;
    double* r = g_ModelControl.ElementVector.data();
    if (g_SyntheticKind == 0) {
        for (int a = 0; a < n; ++a)
            for (int j = 0; j < upn; ++j) {
                double v = 0.0;
                for (int b = 0; b < n; ++b)
                    for (int k = 0; k < upn; ++k) {
                        const double x = Unknowns(e->Nodes[b], system)[k];
                        const double w = 0.3 + 0.1 * (a + 2 * b) + 0.05 * (j - k);
                        v += w * x * x + std::sin(w * x) * (1 + a + j);
                    }
                const double xa = Unknowns(e->Nodes[a], system)[j];
                r[a * upn + j] = v * xa;
            }
        return;
    }
    for (int a = 0; a < n; ++a)
        for (int j = 0; j < upn; ++j) {
            NodeRecord* node = e->Nodes[a];
            const double x = Unknowns(node, system)[j];
            const double target = g_Target[node->Index * upn + j];
            r[a * upn + j] = g_SyntheticKind == 2 ? std::numeric_limits<double>::quiet_NaN() : 0.5 * (target - x);
        }
}

// Analytic -dR/dx of kind 0 at the element's state, row-major dof x dof.
std::vector<double> AnalyticMinusJacobian(FiniteElementBase* e, int system)
{
    const int upn = g_EquationSystems[system].UnknownsPerNode;
    const int n = e->NodeCount;
    const int dof = n * upn;
    std::vector<double> m(dof * dof, 0.0);
    for (int a = 0; a < n; ++a)
        for (int j = 0; j < upn; ++j) {
            double v = 0.0;
            const double xa = Unknowns(e->Nodes[a], system)[j];
            for (int b = 0; b < n; ++b)
                for (int k = 0; k < upn; ++k) {
                    const double x = Unknowns(e->Nodes[b], system)[k];
                    const double w = 0.3 + 0.1 * (a + 2 * b) + 0.05 * (j - k);
                    v += w * x * x + std::sin(w * x) * (1 + a + j);
                    const double dv = 2 * w * x + w * std::cos(w * x) * (1 + a + j);
                    m[(a * upn + j) * dof + b * upn + k] -= dv * xa;
                }
            m[(a * upn + j) * dof + a * upn + j] -= v;
        }
    return m;
}

class Framework : public ::testing::Test {
protected:
    void TearDown() override
    {
        SetElementResidualOverride(nullptr);
        ReleaseModel();
    }
};

}  // namespace

TEST(ShapeFunctions, RulesAndCodes)
{
    double pts[4][4];
    ASSERT_EQ(GetQuadratureRule(111, pts), 2);
    EXPECT_DOUBLE_EQ(pts[0][0], -1.0 / std::sqrt(3.0));
    EXPECT_DOUBLE_EQ(pts[1][0], 1.0 / std::sqrt(3.0));
    EXPECT_EQ(pts[0][3], 1.0);
    ASSERT_EQ(GetQuadratureRule(1, pts), 1);
    EXPECT_EQ(pts[0][0], 0.0);
    EXPECT_EQ(pts[0][3], 1.0);
    EXPECT_EQ(GetQuadratureRule(7, pts), 0);

    ShapeFunctionValues s;
    const double outside[4] = {100, 0, 0, 1};
    EXPECT_EQ(EvaluateShapeFunctions(111, outside, &s), 2);
    EXPECT_EQ(EvaluateShapeFunctions(1, outside, &s), 1);
    const double at[4] = {0.5, 0, 0, 1};
    EXPECT_EQ(EvaluateShapeFunctions(111, at, &s), 0);
    EXPECT_DOUBLE_EQ(s.N[0], 0.25);
    EXPECT_DOUBLE_EQ(s.N[1], 0.75);
    EXPECT_DOUBLE_EQ(s.dNdXi[0], -0.5);
    EXPECT_DOUBLE_EQ(s.dNdXi[1], 0.5);

    // Two-point Gauss integrates a cubic over an element exactly: x^3 on [2, 5].
    NodeRecord a{}, b{};
    a.Chainage = 2;
    b.Chainage = 5;
    ElementRecord e;
    e.Nodes[0] = &a;
    e.Nodes[1] = &b;
    double sum = 0;
    GetQuadratureRule(111, pts);
    for (int p = 0; p < 2; ++p) {
        GaussPointRecord gp;
        EvaluateGaussPoint(&e, 0.0, pts[p], &gp);
        EXPECT_DOUBLE_EQ(gp.Determinant, 1.5);
        EXPECT_DOUBLE_EQ(gp.dNdx[1], 1.0 / 3.0);
        const double x = gp.Interpolation.N[0] * 2 + gp.Interpolation.N[1] * 5;
        sum += x * x * x * gp.Determinant * gp.Weight;
    }
    EXPECT_NEAR(sum, (625.0 - 16.0) / 4.0, 1e-12);
    // A junction branch maps by its length.
    GaussPointRecord gp;
    EvaluateGaussPoint(&e, 8.0, pts[0], &gp);
    EXPECT_DOUBLE_EQ(gp.Determinant, 4.0);

    // The records of an element's rule points, with their shape functions kept per code: the
    // same values as the record of the point, for each element in turn.
    NodeRecord c{};
    c.Chainage = 11;
    ElementRecord other;
    other.Nodes[0] = &b;
    other.Nodes[1] = &c;
    BoundaryElementRecord end;
    end.Nodes[0] = &c;
    const FiniteElementBase* elements[] = {&e, &other, &end};
    for (const FiniteElementBase* element : elements) {
        for (double length : {0.0, 8.0}) {
            const ElementRule rule = GetElementRule(element);
            ASSERT_EQ(rule.NodeCount, element->NodeCount);
            ASSERT_EQ(rule.PointCount, GetQuadratureRule(element->GeometryCode, pts));
            for (int p = 0; p < rule.PointCount; ++p) {
                GaussPointRecord expected;
                EvaluateGaussPoint(element, length, pts[p], &expected);
                const GaussPointRecord* rulePoint = EvaluateRulePoint(element, length, p);
                EXPECT_EQ(rulePoint->Xi, expected.Xi);
                EXPECT_EQ(rulePoint->Determinant, expected.Determinant);
                ASSERT_EQ(rulePoint->Interpolation.NodeCount, rule.NodeCount);
                for (int i = 0; i < rule.NodeCount; ++i) {
                    EXPECT_EQ(rulePoint->Interpolation.N[i], expected.Interpolation.N[i]);
                    EXPECT_EQ(rulePoint->dNdx[i], expected.dNdx[i]);
                }
            }
        }
    }
    ElementRecord unknown;
    unknown.GeometryCode = unknown.InterpolationCode = 7;
    EXPECT_EQ(GetElementRule(&unknown).PointCount, 0);
    EXPECT_EQ(GetElementRule(&unknown).NodeCount, 0);
}

TEST_F(Framework, ProfileOfTwoNodesOneElement)
{
    testmodel::BuildChain(2, 10.0, nullptr);
    ASSERT_NE(BuildProfileStructure(HydrodynamicSystem), nullptr);
    const EquationSystem& es = g_EquationSystems[HydrodynamicSystem];
    EXPECT_EQ(es.DiagonalIndex, (std::vector<int>{0, 2, 5, 9}));
    EXPECT_EQ(es.ProfileLength, 10);
    EXPECT_EQ(es.UnknownCount, 4);
    EXPECT_EQ(es.ChainProfile, 1);
}

TEST_F(Framework, ProfileOfSmallMeshWithLongCouplings)
{
    // Chain 0-1-2-3-4 plus elements (0,2) and (4,1); node 0 couples only to higher nodes.
    testmodel::BuildChain(5, 10.0, nullptr);
    std::vector<ElementRecord> extra(2);
    extra[0].NodeCount = extra[1].NodeCount = 2;
    extra[0].Nodes[0] = &g_NodeBlock[0];
    extra[0].Nodes[1] = &g_NodeBlock[2];
    extra[1].Nodes[0] = &g_NodeBlock[4];
    extra[1].Nodes[1] = &g_NodeBlock[1];
    g_ElementBlock[3].Next = &extra[0];
    extra[0].Next = &extra[1];
    testmodel::SetBoundaries({{0, -1, {}}, {4, 1, {}}});

    ASSERT_NE(BuildProfileStructure(HydrodynamicSystem), nullptr);
    const EquationSystem& es = g_EquationSystems[HydrodynamicSystem];
    // Heights by hand: node reaches 0, 1, 2, 1, 3 give 1 2 | 3 4 | 5 6 | 3 4 | 7 8.
    EXPECT_EQ(es.DiagonalIndex, (std::vector<int>{0, 2, 5, 9, 14, 20, 23, 27, 34, 42}));
    EXPECT_EQ(es.ProfileLength, 43);
    EXPECT_EQ(es.ChainProfile, 0);

    // Thermal layout: six unknowns per node.
    ASSERT_NE(BuildProfileStructure(ThermalIceSystem), nullptr);
    const EquationSystem& th = g_EquationSystems[ThermalIceSystem];
    ASSERT_EQ(th.UnknownCount, 30);
    for (int k = 0; k < 6; ++k) EXPECT_EQ(th.DiagonalIndex[k] - (k ? th.DiagonalIndex[k - 1] : -1), k + 1);
    EXPECT_EQ(th.DiagonalIndex[24] - th.DiagonalIndex[23], 6 * 3 + 1);
    EXPECT_EQ(th.ChainProfile, 0);
    g_ElementBlock[3].Next = nullptr;
}

TEST(ProfileSolve, MatchesDenseEliminationOnRandomBandedSystems)
{
    std::mt19937 rng(20261210);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (int trial = 0; trial < 40; ++trial) {
        const int n = 1 + static_cast<int>(rng() % 120);
        const int band = 1 + static_cast<int>(rng() % 9);
        // Random skyline: each column reaches up to `band` rows above, never above row 0.
        std::vector<int> diag(n);
        std::vector<int> height(n);
        for (int c = 0; c < n; ++c) {
            height[c] = std::min(c + 1, 1 + static_cast<int>(rng() % (band + 1)));
            diag[c] = c == 0 ? 0 : diag[c - 1] + height[c];
        }
        const int length = diag[n - 1] + 1;
        std::vector<double> upper(length), lower(length);
        std::vector<std::vector<double>> dense(n, std::vector<double>(n, 0.0));
        for (int c = 0; c < n; ++c) {
            for (int r = c - height[c] + 1; r <= c; ++r) {
                double u = value(rng), l = value(rng);
                if (r == c) u = (u >= 0 ? 1 : -1) * (2.0 * band + 2.0 + std::fabs(u));
                upper[diag[c] - (c - r)] = u;
                dense[r][c] = u;
                if (r < c) {
                    lower[diag[c] - (c - r)] = l;
                    dense[c][r] = l;
                }
            }
        }
        std::vector<double> b(n);
        for (double& v : b) v = value(rng) * 10;
        const std::vector<double> reference = DenseSolve(dense, b);
        std::vector<double> x = b;
        ASSERT_EQ(SolveProfileLU(upper.data(), lower.data(), x.data(), diag.data(), n), 0);
        for (int i = 0; i < n; ++i) ASSERT_NEAR(x[i], reference[i], 1e-10 * (1 + std::fabs(reference[i]))) << trial;
    }
}

namespace {

// A random block-tridiagonal matrix of `nodes` nodes (2 unknowns each) in the chain's profile
// (DiagonalIndex 0, 2, 5, 9, ..., 7 a node), with its dense copy and a right-hand side. A
// dominant matrix has diagonals of 6 to 7 against off-diagonals of at most 1 in size.
struct ChainSystem {
    std::vector<int> Diagonal;
    std::vector<double> Upper, Lower, Rhs;
    std::vector<std::vector<double>> Dense;
};
ChainSystem RandomChain(int nodes, bool dominant, std::mt19937& rng)
{
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    ChainSystem c;
    const int n = 2 * nodes;
    c.Diagonal.resize(n);
    for (int u = 0; u < n; ++u) {
        const int height = u < 2 ? u + 1 : 3 + u % 2;
        c.Diagonal[u] = u == 0 ? 0 : c.Diagonal[u - 1] + height;
    }
    c.Upper.assign(c.Diagonal[n - 1] + 1, 0.0);
    c.Lower = c.Upper;
    c.Dense.assign(n, std::vector<double>(n, 0.0));
    for (int col = 0; col < n; ++col) {
        const int top = col < 2 ? 0 : 2 * (col / 2) - 2;
        for (int row = top; row <= col; ++row) {
            double u = value(rng);
            if (row == col && dominant) u = (u >= 0 ? 1 : -1) * (6.0 + std::fabs(u));
            c.Upper[c.Diagonal[col] - (col - row)] = u;
            c.Dense[row][col] = u;
            if (row < col) {
                const double l = value(rng);
                c.Lower[c.Diagonal[col] - (col - row)] = l;
                c.Dense[col][row] = l;
            }
        }
    }
    c.Rhs.resize(n);
    for (double& v : c.Rhs) v = 10 * value(rng);
    return c;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

}  // namespace

TEST(ChainProfileSolve, GivesTheProfileSolveBitForBit)
{
    // The chain solve does the profile solve's operations in its order: factors and solution
    // agree in every bit, a zero pivot's infinities and NaNs included. Dominant systems of up
    // to 100 nodes are checked against dense elimination as well.
    struct Case {
        const char* name;
        int nodes;
        bool dominant;
        int zeroPivotNode;   // -1 none; else the node whose first unknown gets a pivot of 0
    };
    const Case cases[] = {
        {"one node", 1, true, -1},          {"two nodes", 2, true, -1},
        {"three nodes", 3, false, -1},      {"dominant", 60, true, -1},
        {"long dominant", 1000, true, -1},
        {"long general", 400, false, -1},   {"zero first pivot", 5, true, 0},
        {"zero pivot inside", 9, true, 4},  {"zero pivot at the end", 9, true, 8},
    };
    std::mt19937 rng(20261211);
    for (const Case& t : cases) {
        for (int trial = 0; trial < 5; ++trial) {
            ChainSystem c = RandomChain(t.nodes, t.dominant, rng);
            ASSERT_TRUE(IsChainProfile(c.Diagonal.data(), 2 * t.nodes)) << t.name;
            if (t.zeroPivotNode >= 0) {
                // Unknown a = 2k without couplings to the node before and a diagonal of 0: its
                // pivot is exactly 0.
                const int a = 2 * t.zeroPivotNode;
                for (int row = std::max(0, a - 2); row <= a; ++row) c.Upper[c.Diagonal[a] - (a - row)] = 0.0;
                for (int col = std::max(0, a - 2); col < a; ++col) c.Lower[c.Diagonal[a] - (a - col)] = 0.0;
            }
            ChainSystem profile = c;
            ASSERT_EQ(SolveProfileLU(profile.Upper.data(), profile.Lower.data(), profile.Rhs.data(),
                                     profile.Diagonal.data(), 2 * t.nodes),
                      0);
            ChainSystem chain = c;
            ASSERT_EQ(SolveChainProfileLU(chain.Upper.data(), chain.Lower.data(), chain.Rhs.data(), t.nodes), 0);
            EXPECT_TRUE(SameBits(chain.Rhs, profile.Rhs)) << t.name << " " << trial;
            EXPECT_TRUE(SameBits(chain.Upper, profile.Upper)) << t.name << " " << trial;
            // The lower profile's diagonal places are not the solve's: compare the rest.
            for (int u = 0; u < 2 * t.nodes; ++u) chain.Lower[c.Diagonal[u]] = profile.Lower[c.Diagonal[u]];
            EXPECT_TRUE(SameBits(chain.Lower, profile.Lower)) << t.name << " " << trial;
            if (t.zeroPivotNode >= 0) {
                EXPECT_FALSE(std::isfinite(chain.Rhs[2 * t.zeroPivotNode])) << t.name;
            } else if (t.dominant && t.nodes <= 100) {
                const std::vector<double> reference = DenseSolve(c.Dense, c.Rhs);
                for (size_t i = 0; i < reference.size(); ++i)
                    ASSERT_NEAR(chain.Rhs[i], reference[i], 1e-12 * (1 + std::fabs(reference[i]))) << t.name;
            }
        }
    }
}

TEST(ChainProfileSolve, KnowsAChainProfile)
{
    struct Case {
        const char* name;
        std::vector<int> diagonal;
        bool chain;
    };
    const Case cases[] = {
        {"one node", {0, 2}, true},
        {"three nodes", {0, 2, 5, 9, 12, 16}, true},
        {"odd order", {0, 2, 5}, false},
        {"empty", {}, false},
        {"second node not coupled", {0, 2, 3, 5}, false},
        {"longer coupling", {0, 2, 5, 9, 14, 20}, false},
        {"diagonal first column", {1, 3}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsChainProfile(c.diagonal.data(), static_cast<int>(c.diagonal.size())), c.chain) << c.name;
}

TEST_F(Framework, ForwardDifferenceJacobianMatchesAnalyticJacobian)
{
    for (int system : {static_cast<int>(HydrodynamicSystem), static_cast<int>(ThermalIceSystem)}) {
        testmodel::BuildChain(2, 100.0, nullptr);
        std::mt19937 rng(7 + system);
        std::uniform_real_distribution<double> value(0.5, 2.0);
        for (NodeRecord& n : g_NodeBlock)
            for (int k = 0; k < 6; ++k) {
                if (k < 2) n.HydroUnknowns[k] = value(rng);
                n.ThermalUnknowns[k] = value(rng);
            }
        std::vector<NodeRecord> before(g_NodeBlock.begin(), g_NodeBlock.end());
        g_SyntheticKind = 0;
        SetElementResidualOverride(SyntheticResidual);
        ASSERT_EQ(AssembleProfileMatrix(system), 0);

        ElementRecord* e = g_Elements;
        BuildElementJacobian(e, system);
        const int upn = g_EquationSystems[system].UnknownsPerNode;
        const int dof = 2 * upn;
        const int stride = g_ModelControl.MaxElementDof;
        ASSERT_EQ(stride, dof);
        const std::vector<double> analytic = AnalyticMinusJacobian(e, system);
        const double h = system == HydrodynamicSystem ? 1e-5 : 1e-8;
        for (int r = 0; r < dof; ++r)
            for (int c = 0; c < dof; ++c) {
                const double fd = g_ModelControl.ElementMatrix[r * stride + c];
                const double ref = analytic[r * dof + c];
                // Forward differences err by about h x the second derivative (a few tens here).
                EXPECT_NEAR(fd, ref, 60 * h + 1e-6 * std::fabs(ref)) << system << " " << r << " " << c;
            }
        // The residual left in ElementVector is R at the unperturbed state.
        std::vector<double> r0(g_ModelControl.ElementVector.begin(), g_ModelControl.ElementVector.begin() + dof);
        SyntheticResidual(e, system);
        for (int r = 0; r < dof; ++r) EXPECT_EQ(r0[r], g_ModelControl.ElementVector[r]);
        // Every perturbed unknown is back at its exact value.
        for (size_t i = 0; i < before.size(); ++i) {
            EXPECT_EQ(std::memcmp(before[i].HydroUnknowns, g_NodeBlock[i].HydroUnknowns, sizeof before[i].HydroUnknowns), 0);
            EXPECT_EQ(std::memcmp(before[i].ThermalUnknowns, g_NodeBlock[i].ThermalUnknowns,
                                  sizeof before[i].ThermalUnknowns), 0);
        }
    }
}

TEST_F(Framework, AssemblyAddsElementsIntoTheProfileAndSolvesLikeDense)
{
    // Kind 0 residuals on a chain with boundary elements: the assembled profile equals the
    // dense sum of the element matrices, and the solve equals the dense solve.
    testmodel::BuildChain(6, 50.0, nullptr);
    testmodel::SetBoundaries({{0, -1, {}}, {5, 1, {}}});
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> value(0.5, 1.5);
    for (NodeRecord& n : g_NodeBlock) n.HydroUnknowns[0] = value(rng), n.HydroUnknowns[1] = value(rng);
    g_SyntheticKind = 0;
    SetElementResidualOverride(SyntheticResidual);
    ASSERT_EQ(AssembleProfileMatrix(HydrodynamicSystem), 0);
    const EquationSystem& es = g_EquationSystems[HydrodynamicSystem];

    const int n = es.UnknownCount;
    std::vector<std::vector<double>> dense(n, std::vector<double>(n, 0.0));
    std::vector<double> rhs(n, 0.0);
    auto add = [&](FiniteElementBase* e) {
        const std::vector<double> m = AnalyticMinusJacobian(e, HydrodynamicSystem);
        const int dof = e->NodeCount * 2;
        SyntheticResidual(e, HydrodynamicSystem);
        for (int r = 0; r < dof; ++r) {
            const int I = e->Nodes[r / 2]->Index * 2 + r % 2;
            rhs[I] += g_ModelControl.ElementVector[r];
            for (int c = 0; c < dof; ++c) dense[I][e->Nodes[c / 2]->Index * 2 + c % 2] += m[r * dof + c];
        }
    };
    for (ElementRecord* e = g_Elements; e; e = e->Next) add(e);
    for (BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next) add(b);

    const auto assembled = DenseFromProfile(es);
    for (int r = 0; r < n; ++r) {
        EXPECT_NEAR(es.Rhs[r], rhs[r], 1e-12 * (1 + std::fabs(rhs[r])));
        for (int c = 0; c < n; ++c) EXPECT_NEAR(assembled[r][c], dense[r][c], 1e-3) << r << " " << c;
    }
    std::vector<double> increments = es.Rhs;
    EquationSystem copy = es;
    SolveProfileLU(copy.UpperProfile.data(), copy.LowerProfile.data(), increments.data(), copy.DiagonalIndex.data(), n);
    const auto reference = DenseSolve(assembled, es.Rhs);
    for (int i = 0; i < n; ++i) EXPECT_NEAR(increments[i], reference[i], 1e-9 * (1 + std::fabs(reference[i])));

    // A second assembly reuses the structure and every work array in place.
    g_EquationSystems[HydrodynamicSystem].StructureBuilt = 1;
    const double* upper = es.UpperProfile.data();
    const double* work = g_ModelControl.ElementMatrix.data();
    ASSERT_EQ(AssembleProfileMatrix(HydrodynamicSystem), 0);
    EXPECT_EQ(upper, es.UpperProfile.data());
    EXPECT_EQ(work, g_ModelControl.ElementMatrix.data());
    const auto again = DenseFromProfile(es);
    EXPECT_EQ(again, assembled);
}

TEST_F(Framework, ChainAssemblyAddsEveryItemAtItsPlace)
{
    // Chains ending with boundary elements, their elements in order or the third against the
    // numbering (nodes 3, 2): every item goes into the chain's profile at its entries' places,
    // the element Jacobians summed densely in assembly order give the same matrix and
    // right-hand side bit for bit, for an unsymmetric and a symmetric matrix, assembled afresh
    // and again into the profile of the assembly before (at other unknowns: nothing of that
    // assembly is left).
    struct Case {
        const char* name;
        bool reversed;
        int inOrder;   // expected ChainInOrder
    };
    const Case cases[] = {{"elements in order", false, 1}, {"an element against the numbering", true, 0}};
    ModelControl& mc = g_ModelControl;
    EquationSystem& es = g_EquationSystems[HydrodynamicSystem];
    for (const Case& t : cases) {
        testmodel::BuildChain(5, 50.0, nullptr);
        if (t.reversed) std::swap(g_ElementBlock[2].Nodes[0], g_ElementBlock[2].Nodes[1]);
        testmodel::SetBoundaries({{0, -1, {}}, {4, 1, {}}});
        std::mt19937 rng(11);
        std::uniform_real_distribution<double> value(0.5, 1.5);
        g_SyntheticKind = 0;
        SetElementResidualOverride(SyntheticResidual);
        for (int unsymmetric : {1, 0}) {
            mc.UnsymmetricMatrix = unsymmetric;
            es.StructureBuilt = 0;
            for (int assembly = 0; assembly < 2; ++assembly) {
                SCOPED_TRACE(std::string(t.name) + (unsymmetric ? ", unsymmetric" : ", symmetric") +
                             (assembly ? ", again" : ""));
                for (NodeRecord& n : g_NodeBlock) n.HydroUnknowns[0] = value(rng), n.HydroUnknowns[1] = value(rng);
                ASSERT_EQ(AssembleProfileMatrix(HydrodynamicSystem), 0);
                es.StructureBuilt = 1;
                ASSERT_EQ(es.ChainProfile, 1);
                EXPECT_EQ(es.ChainInOrder, t.inOrder);
                const std::vector<double> upper = es.UpperProfile, lower = es.LowerProfile, rhs = es.Rhs;
                const int n = es.UnknownCount;
                std::vector<std::vector<double>> dense(n, std::vector<double>(n, 0.0));
                std::vector<double> denseRhs(n, 0.0);
                auto add = [&](FiniteElementBase* e) {
                    const int stride = mc.MaxElementDof;
                    for (int r = 0; r < 2 * e->NodeCount; ++r) {
                        const int I = e->Nodes[r / 2]->Index * 2 + r % 2;
                        denseRhs[I] += mc.ElementVector[r];
                        for (int c = 0; c < 2 * e->NodeCount; ++c)
                            dense[I][e->Nodes[c / 2]->Index * 2 + c % 2] += mc.ElementMatrix[r * stride + c];
                    }
                };
                for (ElementRecord* e = g_Elements; e; e = e->Next) {
                    BuildElementJacobian(e, HydrodynamicSystem);
                    add(e);
                }
                for (BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next) {
                    BuildBoundaryElementJacobian(b, HydrodynamicSystem);
                    add(b);
                }
                int differing = 0;
                for (int c = 0; c < n; ++c) {
                    const int height = c == 0 ? 1 : es.DiagonalIndex[c] - es.DiagonalIndex[c - 1];
                    for (int r = 0; r < n; ++r) {
                        const bool inProfile =
                            r <= c ? c - r < height : r - c < (es.DiagonalIndex[r] - es.DiagonalIndex[r - 1]);
                        double assembled = 0.0;
                        if (inProfile && r <= c) assembled = upper[es.DiagonalIndex[c] - (c - r)];
                        if (inProfile && r > c) assembled = lower[es.DiagonalIndex[r] - (r - c)];
                        const double expected = r > c && !unsymmetric ? 0.0 : dense[r][c];
                        if (std::memcmp(&assembled, &expected, sizeof expected) != 0) ++differing;
                    }
                }
                EXPECT_EQ(differing, 0);
                EXPECT_EQ(rhs, denseRhs);
            }
        }
        SetElementResidualOverride(nullptr);
        ReleaseModel();
    }
}

TEST_F(Framework, AssemblyWithoutElementNodesFails)
{
    testmodel::BuildChain(3, 10.0, nullptr);
    for (ElementRecord& e : g_ElementBlock) e.InterpolationCode = 999;
    EXPECT_EQ(AssembleProfileMatrix(HydrodynamicSystem), -1);
    EXPECT_EQ(g_ModelControl.MaxElementDof, 0);
}

TEST_F(Framework, UpdateRejectsWhatIsNotFiniteAndMeasuresZeroStates)
{
    testmodel::BuildChain(3, 10.0, nullptr);
    g_SyntheticKind = 1;
    SetElementResidualOverride(SyntheticResidual);
    EquationSystem& es = g_EquationSystems[HydrodynamicSystem];

    struct Case {
        const char* name;
        double target;     // every unknown is driven to this value
        int expected;
        double norm;       // expected norm, or -1 when not checked
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {"zeros stay zeros", 0.0, 0, 0.0},
        {"finite update", 2.0, 0, 1.0},
        {"infinite update", inf, 1, -1},
        {"negative area", -1.0, 1, -1},
    };
    for (const Case& c : cases) {
        for (NodeRecord& n : g_NodeBlock) n.HydroUnknowns[0] = n.HydroUnknowns[1] = 0.0, n.NegativeAreaCount = 0;
        g_Target.assign(6, c.target);
        es.StructureBuilt = 0;
        ASSERT_EQ(AssembleProfileMatrix(HydrodynamicSystem), 0);
        EXPECT_EQ(SolveAndUpdate(HydrodynamicSystem), c.expected) << c.name;
        if (c.norm >= 0) {
            EXPECT_NEAR(es.LastNorm, c.norm, 1e-12) << c.name;
        }
        if (c.target < 0) {
            EXPECT_EQ(g_NodeBlock[1].NegativeAreaCount, 1) << c.name;
        }
    }
    // A not-a-number residual gives a not-a-number update.
    g_SyntheticKind = 2;
    es.StructureBuilt = 0;
    ASSERT_EQ(AssembleProfileMatrix(HydrodynamicSystem), 0);
    EXPECT_EQ(SolveAndUpdate(HydrodynamicSystem), 1);
}

namespace {

// Fills every unknown of every system with a recognisable value and shifts the time level.
void FillUnknowns(double base)
{
    for (NodeRecord& n : g_NodeBlock) {
        for (int k = 0; k < 2; ++k) n.HydroUnknowns[k] = base + n.Index + 0.1 * k;
        for (int k = 0; k < 2; ++k) n.IceUnknowns[k] = base + 10 + n.Index + 0.1 * k;
        for (int k = 0; k < 6; ++k) n.ThermalUnknowns[k] = base + 20 + n.Index + 0.1 * k;
        for (int k = 0; k < 6; ++k) n.WQUnknowns[k] = base + 30 + n.Index + 0.1 * k;
    }
}

}  // namespace

TEST_F(Framework, NewtonDriverConvergesAndRejectedStepsRestoreEverything)
{
    testmodel::BuildChain(4, 10.0, nullptr);
    testmodel::SetBoundaries({{0, -1, {}}, {3, 1, {}}});
    SetElementResidualOverride(SyntheticResidual);
    ModelControl& mc = g_ModelControl;
    EquationSystem& es = g_EquationSystems[HydrodynamicSystem];

    // Linear residual: one Newton step reaches the target, the second measures 0.
    g_SyntheticKind = 1;
    g_Target = {3, 1, 4, 1, 5, 9, 2, 6};
    FillUnknowns(1.0);
    ShiftTimeLevel();
    mc.StepStartTime = 0.1 * 3;
    mc.DeltaT = 0.7;
    mc.ModelTime = mc.StepStartTime + mc.DeltaT;
    const double end = mc.ModelTime;
    ASSERT_EQ(SolveHydrodynamicsStep(), 1);
    EXPECT_EQ(es.IterationCount, 2);
    EXPECT_EQ(mc.ModelTime, end);
    EXPECT_EQ(mc.DeltaT, 0.7);
    for (NodeRecord& n : g_NodeBlock) {
        EXPECT_NEAR(n.HydroUnknowns[0], g_Target[n.Index * 2], 1e-12);
        EXPECT_NEAR(n.HydroUnknowns[1], g_Target[n.Index * 2 + 1], 1e-12);
    }

    // Not-a-number residual: the solve reports the rejection, and the stepping puts the clock
    // back exactly at the step start (0.3 is not 1.0 - 0.7 in floating point), every unknown of
    // every system back at the step start and halves the step.
    struct Case {
        const char* name;
        int kind;
        int maxIterations;
    };
    const Case cases[] = {{"not a number", 2, 9}, {"iteration limit", 1, 1}};
    mc.HydrodynamicsOn = 1;
    for (const Case& c : cases) {
        FillUnknowns(1.0);
        g_SyntheticKind = c.kind;
        es.MaxIterations = c.maxIterations;
        mc.DeltaT = 0.7;
        mc.ModelTime = 0.3;
        ASSERT_EQ(TransientStep(), 0) << c.name;
        EXPECT_EQ(mc.ModelTime, 0.3) << c.name;
        EXPECT_EQ(mc.DeltaT, 0.35) << c.name;
        for (NodeRecord& n : g_NodeBlock) {
            for (int k = 0; k < 2; ++k) EXPECT_EQ(n.HydroUnknowns[k], 1.0 + n.Index + 0.1 * k);
            for (int k = 0; k < 2; ++k) EXPECT_EQ(n.IceUnknowns[k], 11.0 + n.Index + 0.1 * k);
            for (int k = 0; k < 6; ++k) EXPECT_EQ(n.ThermalUnknowns[k], 21.0 + n.Index + 0.1 * k);
            for (int k = 0; k < 6; ++k) EXPECT_EQ(n.WQUnknowns[k], 31.0 + n.Index + 0.1 * k);
        }
    }
    es.MaxIterations = 9;

    // An assembly failure is reported with the clock and the unknowns at the step start and the
    // step unchanged.
    FillUnknowns(1.0);
    for (ElementRecord& e : g_ElementBlock) e.InterpolationCode = 999;
    es.StructureBuilt = 0;
    mc.DeltaT = 0.7;
    mc.ModelTime = 0.3;
    EXPECT_EQ(TransientStep(), 2);
    EXPECT_EQ(mc.ModelTime, 0.3);
    EXPECT_EQ(mc.DeltaT, 0.7);
    for (NodeRecord& n : g_NodeBlock) EXPECT_EQ(n.HydroUnknowns[1], 1.1 + n.Index);
}

TEST_F(Framework, LargestIncrementNodeAndFluxDischarges)
{
    testmodel::BuildChain(4, 10.0, nullptr);
    testmodel::BoundaryInput lateral;
    lateral.DischargeCode = 99;
    testmodel::SetBoundaries({{0, -1, {}}, {2, -1, lateral}, {3, 1, {}}});
    EquationSystem& es = g_EquationSystems[HydrodynamicSystem];
    es.Rhs = {0.1, -0.2, 0.5, 0.4, -0.5, 0.0, 0.3, 0.3};
    // Node 1's area increment 0.5 and node 2's -0.5 tie: the later node wins.
    EXPECT_EQ(FindLargestHydroIncrementNode(), &g_NodeBlock[2]);
    es.Rhs[7] = -0.6;
    EXPECT_EQ(FindLargestHydroIncrementNode(), &g_NodeBlock[3]);

    g_ElementBlock[0].EndFluxes[0] = -2.0, g_ElementBlock[0].EndFluxes[1] = 2.0;
    g_ElementBlock[1].EndFluxes[0] = -3.0, g_ElementBlock[1].EndFluxes[1] = 3.0;
    g_ElementBlock[2].EndFluxes[0] = -5.0, g_ElementBlock[2].EndFluxes[1] = 5.0;
    ComputeNodeFluxDischarge();
    // Ends average over their one element; the lateral-inflow node keeps two.
    EXPECT_DOUBLE_EQ(g_NodeBlock[0].FluxDischarge, 2.0);
    EXPECT_DOUBLE_EQ(g_NodeBlock[1].FluxDischarge, 2.5);
    EXPECT_DOUBLE_EQ(g_NodeBlock[2].FluxDischarge, 4.0);
    EXPECT_DOUBLE_EQ(g_NodeBlock[3].FluxDischarge, 5.0);
}

TEST_F(Framework, NormEqualToTheToleranceConverges)
{
    testmodel::BuildChain(3, 10.0, nullptr);
    testmodel::SetBoundaries({{0, -1, {}}, {2, 1, {}}});
    SetElementResidualOverride(SyntheticResidual);
    g_SyntheticKind = 1;
    g_Target.assign(6, 2.0);
    FillUnknowns(0.0);
    for (NodeRecord& n : g_NodeBlock) n.HydroUnknowns[0] = n.HydroUnknowns[1] = 1.0;
    ShiftTimeLevel();
    EquationSystem& es = g_EquationSystems[HydrodynamicSystem];
    // One update from 1 to about 2 everywhere: find its norm, then take it as the tolerance.
    es.MaxIterations = 1;
    es.Tolerance = 1e-12;
    g_ModelControl.StepStartTime = 0;
    g_ModelControl.ModelTime = g_ModelControl.DeltaT = 10;
    EXPECT_EQ(SolveHydrodynamicsStep(), 0);
    const double norm = es.LastNorm;
    EXPECT_NEAR(norm, 0.5, 1e-6);
    RestorePreviousLevel();   // the solve leaves its iterate: back to the step start
    es.Tolerance = norm;
    g_ModelControl.ModelTime = g_ModelControl.DeltaT = 10;
    EXPECT_EQ(SolveHydrodynamicsStep(), 1);
    EXPECT_EQ(es.LastNorm, norm);
    es.Tolerance = std::nextafter(norm, 0.0);
    ShiftTimeLevel();
    FillUnknowns(0.0);
    for (NodeRecord& n : g_NodeBlock) n.HydroUnknowns[0] = n.HydroUnknowns[1] = 1.0;
    ShiftTimeLevel();
    EXPECT_EQ(SolveHydrodynamicsStep(), 0);
}

TEST_F(Framework, JunctionBranchesAreAssembledThroughTheirJunctionOnce)
{
    // Element 2 (nodes 1-2) is the current AB branch of a junction: the element loop skips
    // it and the junction loop assembles it, so the profile holds every element once.
    testmodel::BuildChain(4, 10.0, nullptr);
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> value(0.5, 1.5);
    for (NodeRecord& n : g_NodeBlock) n.HydroUnknowns[0] = value(rng), n.HydroUnknowns[1] = value(rng);
    g_SyntheticKind = 0;
    SetElementResidualOverride(SyntheticResidual);
    ASSERT_EQ(AssembleProfileMatrix(HydrodynamicSystem), 0);
    const auto plain = DenseFromProfile(g_EquationSystems[HydrodynamicSystem]);
    const std::vector<double> plainRhs = g_EquationSystems[HydrodynamicSystem].Rhs;

    JunctionRecord junction;
    junction.ElementAB = &g_ElementBlock[1];
    g_ElementBlock[1].JunctionBranch = 2;
    g_Junctions = &junction;
    g_ModelControl.JunctionCount = 1;
    for (int system : {static_cast<int>(HydrodynamicSystem), static_cast<int>(DynamicIceSystem)}) {
        g_EquationSystems[system].StructureBuilt = 0;
        ASSERT_EQ(AssembleProfileMatrix(system), 0);
    }
    const EquationSystem& es = g_EquationSystems[HydrodynamicSystem];
    EXPECT_EQ(DenseFromProfile(es), plain);
    EXPECT_EQ(es.Rhs, plainRhs);
    // A branch whose flag does not match its role is not assembled.
    g_ElementBlock[1].JunctionBranch = 1;
    ASSERT_EQ(AssembleProfileMatrix(HydrodynamicSystem), 0);
    EXPECT_NE(DenseFromProfile(es), plain);
    g_Junctions = nullptr;
}
