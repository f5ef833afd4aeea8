// Finite-element framework shared by the four equation systems: profile (skyline) storage of
// the global matrix, element Jacobians by forward differences, the profile LU solve, the
// Newton update, quadrature rules and shape functions.
#pragma once

#include "engine/EngineData.h"

struct FiniteElementBase;
struct ElementRecord;
struct BoundaryElementRecord;
struct JunctionRecord;
struct ShapeFunctionValues;
struct GaussPointRecord;

// Results of AssembleProfileMatrix.
enum AssemblyResult { Assembled = 0, AssemblyFailed = -1 };
// Results of the Newton drivers: RunNewtonIterations and the equation systems' solves of a step
// (SolveHydrodynamicsStep, SolveDynamicIceStep, SolveThermalIceStep, the water-quality solve).
enum NewtonResult {
    NewtonNotConverged = 0,            // the step is to be rejected
    NewtonConverged = 1,
    NewtonNotAssembled = AssemblyFailed,
};

// Assembles system k: matrix -dR/dx in profile storage and right-hand side R. Assembled, or
// AssemblyFailed when memory runs out or no element has nodes.
int AssembleProfileMatrix(int system);
// Numbers the unknowns of system k and lays out the profile; the upper profile, or null on
// exhaustion.
double* BuildProfileStructure(int system);
void BuildElementJacobian(ElementRecord* element, int system);
void BuildJunctionElementJacobian(ElementRecord* element, JunctionRecord* junction, int system);
void BuildBoundaryElementJacobian(BoundaryElementRecord* element, int system);
// Crout factorisation without pivoting, in place; the solution replaces rhs. Returns 0.
int SolveProfileLU(double* upper, double* lower, double* rhs, const int* diagonal, int order);
// True when a profile of two unknowns a node is that of a chain: every node from the second on
// coupled with the node before it and with no lower one (DiagonalIndex 0, 2, 5, 9, then 7 on
// for each node), so the matrix is block tridiagonal with 2 x 2 blocks.
bool IsChainProfile(const int* diagonal, int order);
// SolveProfileLU on a chain profile of nodeCount nodes (IsChainProfile): the same operations on
// the same values in the same order, so the same factors and solution bit for bit (a zero
// pivot gives the same infinities and NaNs), with the chain's places fixed in place of the
// profile's index arithmetic. Returns 0.
int SolveChainProfileLU(double* upper, double* lower, double* rhs, int nodeCount);
// Newton tolerances bound the relative size of an update (LastNorm). Below some fifty times
// the double precision (2.2e-16) an update is rounding noise that no iteration can be sure to
// reach; a tolerance of 1 or more accepts an update as large as the solution itself (above 1
// the first iteration is skipped and nothing is solved).
inline constexpr double MinimumTolerance = 1e-14;
// True when a tolerance is at least MinimumTolerance and below 1.
bool IsSoundTolerance(double tolerance);

// Solves system k and adds the increments to the nodes' unknowns. 1 when the update is not
// finite (or, for hydrodynamics, makes a gross area negative), else 0; sets LastNorm.
int SolveAndUpdate(int system);
// Newton iterations of system k from its present unknowns: assemble, solve and update, then
// `afterIteration` (when given), until the relative update is below the system's Tolerance or
// MaxIterations is reached (IterationCount and LastNorm count from 0 and 1). Returns
// NewtonConverged; NewtonNotConverged when not, or when an update is not finite (LastNorm is
// then 10 x Tolerance); NewtonNotAssembled when the assembly failed. The unknowns keep the last
// update either way: the caller rolls the step back.
int RunNewtonIterations(int system, void (*afterIteration)());
// True when RunNewtonIterations of system k stops before another iteration: MaxIterations made,
// or the last relative update below the Tolerance. An `afterIteration` learns from it whether
// its iteration is the last.
bool NewtonIterationsDone(int system);
// Evaluates the residual of every item of system k's assembly, the items AssembleProfileMatrix
// takes, at the nodes' present state, each in turn into ElementVector, and assembles nothing:
// for the bookkeeping of a system's kernels. Does nothing before the system's element arrays
// were allocated by an assembly.
void EvaluateSystemResiduals(int system);
// Integration points of an element code, four doubles each (xi, eta, zeta, weight); the count.
int GetQuadratureRule(int code, double points[][4]);
// Shape functions of an element code at a point (xi, eta, zeta, weight); 0, or the code's node
// count when xi lies outside [-1, 1]. Derivatives are skipped when the weight is negative.
int EvaluateShapeFunctions(int code, const double point[4], ShapeFunctionValues* out);
// Fills the record of one integration point of an element (branch length > 0 for junction
// branches, 0 otherwise).
void EvaluateGaussPoint(const FiniteElementBase* element, double branchLength, const double point[4],
                        GaussPointRecord* record);
double ComputeMapDerivative(const FiniteElementBase* element, double branchLength,
                            const ShapeFunctionValues* geometry);

// The integration rule of an element's geometry code (PointCount points, 0 for a code without
// a rule) and the node count of its interpolation code.
struct ElementRule {
    int PointCount;
    int NodeCount;
};
ElementRule GetElementRule(const FiniteElementBase* element);
// The record of point p of the element's rule, as EvaluateGaussPoint fills it. The shape
// functions are evaluated once for each pair of element codes and kept in the record; a call
// writes only what depends on the element (point, map derivative, x-derivatives), so the
// record holds this element's values until the next call for an element of the same codes.
const GaussPointRecord* EvaluateRulePoint(const FiniteElementBase* element, double branchLength, int p);
// Points of the nodal rule: one at each end of an element (xi -1 and +1), weight 1.
inline constexpr int NodalRulePoints = 2;
// The record of point p of the nodal rule for the element, as EvaluateGaussPoint fills it;
// its shape functions are evaluated once and kept as EvaluateRulePoint keeps them.
const GaussPointRecord* EvaluateNodalRulePoint(const FiniteElementBase* element, double branchLength, int p);
// The same record from what an earlier EvaluateRulePoint gave for the element: its
// determinant and, for each of its nodes, the x-derivative.
const GaussPointRecord* RecallRulePoint(const FiniteElementBase* element, int p, double determinant,
                                        const double* dNdx);

// Test hook: when set, replaces the element, junction-branch and boundary residuals of every
// system (the framework's own tests use it with synthetic residuals). Null restores the
// systems' residuals.
void SetElementResidualOverride(void (*residual)(FiniteElementBase* element, int system));
