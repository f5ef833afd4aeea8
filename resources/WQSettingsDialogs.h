// The templates of the three water-quality settings dialogs (nutrients, heavy metals,
// xenobiotics) and their fields: one labelled edit per coefficient, listed in the order of the
// coefficients in the water-quality file.
#pragma once

struct WQSettingsField {
    int id;
    const char* label;
};

// Nutrients: the first column from the latitude to the critical flow velocity (Ucrit), the
// second from YBOD on.
inline constexpr WQSettingsField NutrientSettingsFields[] = {
    {1225, "Temperature: latitude (phi_latitude)"},
    {1226, "Temperature: Maximum absorbed solar radiation (Emax)"},
    {1228, "Temperature: Displacement of solar radiation max from noon (ftd)"},
    {1231, "Temperature: Emitted heat radiation (Eaf)"},
    {1232, "Oxygen Processes: Reaeration temperature coefficient (Theta_rear)"},
    {1250, "Oxygen Processes: Respiration of animals and plants (Rresp)"},
    {1251, "Oxygen Processes: Respiration temperature coefficient (Theta_resp)"},
    {1252, "Oxygen Processes: Max oxygen production by photosynthesis (Pmax)"},
    {1253, "Oxygen Processes: Production/respiration equation order (pm2)"},
    {1254, "Degradation: first order decay rate at twenty deg C (KBOD)"},
    {1255, "Degradation: Temperature coefficient for decay rate (Theta_BOD)"},
    {1256, "Degradation: Half saturation oxygen concentration (Ks)"},
    {1257, "Oxygen Processes: Reaeration constant (a1)"},
    {1258, "Oxygen Processes: Reaeration exponent flow velocity (e1)"},
    {1259, "Oxygen Processes: Reaeration exponent water depth (e2)"},
    {1260, "Oxygen Processes: Reaeration exponent river slope (e3)"},
    {1261, "Sediment processes: Sediment oxygen demand (KSOD)"},
    {1262, "Sediment processes: Temperature coefficient SOD (Theta_SOD)"},
    {1263, "Sediment processes: Resuspension of organic matter (Ksus)"},
    {1264, "Sediment processes: sedimentation rate for organic matter (Ksed)"},
    {1265, "Sediment processes: Critical flow velocity (Ucrit)"},
    {1284, "Nitrogen Content: Ratio of ammonia released at BOD decay (YBOD)"},
    {1285, "Nitrogen Content: Uptake of ammonia in plants (Un)"},
    {1286, "Nitrogen Content: Uptake of ammonia in bacteria (Ub)"},
    {1287, "Nitrification: Reaction order 1 = first order 2 = half order (n1)"},
    {1288, "Nitrification: Ammonia decay rate at twenty deg Celcius (Knit)"},
    {1289, "Nitrification: Temperature coefficient for nitrification (Theta_nit)"},
    {1290, "Denitrification: Oxygen demand by nitrification (Ynit)"},
    {1291, "Denitrification: Half saturation constant (Ksden)"},
    {1118, "Denitrification: Reaction order 1 = first order 2 = half order (n2)"},
    {1292, "Denitrification: Rate conversion of nitrate into free nitrogen (Kden) "},
    {1133, "Denitrification: Temperature coefficient for denitrification (Theta_den)"},
    {1301, "Phosphorus content: Ratio of phosphorus released at BOD decay (Yp)"},
    {1293, "Phosphorus content: Uptake of P in plants (Up)"},
    {1294, "Phosphorus exchange with bed: Resuspension of PP (KPres)"},
    {1300, "Phosphorus exchange with bed: Deposition of PP (KPdep)"},
    {1295, "Phosphorus exchange with bed: Critical velocity of flow (UPcrit)"},
    {1296, "Phosphorus processes: Decay constant for PP (Krel)"},
    {1297, "Phosphorus processes: Temperature coefficient for decay (Theta_rel)"},
    {1298, "Phosphorus processes: Formation constant for PP (Kads)"},
    {1299, "Phosphorus processes: Temperature coefficient for PP (Theta_ads)"},
};
// Fields in the nutrient dialog's first column.
inline constexpr int NutrientFirstColumnFields = 21;

// Heavy metals; the xenobiotic dialog starts with the same fields, its molecular weight
// labelled XenobioticWeightLabel.
inline constexpr WQSettingsField MetalSettingsFields[] = {
    {1303, "Organic-carbon partioning coefficient (Koc)"},
    {1305, "Desorption rate in water (kw)"},
    {1256, "Desorption rate in sediment (ks)"},
    {1309, "Fraction of organic carbon in suspended solids SS (focw)"},
    {1311, "Fraction of organic carbon in sediment (focs)"},
    {1312, "Thickness of water film (dzf)"},
    {1314, "Ratio between thickness of diffusion layer in sediment and sediment thickness (fdzds)"},
    {1316, "Factor for diffusion due to bioturbation (fbiot)"},
    {1318, "Moleweight of heavy metal (mw)"},
    {1320, "Density of dry sediment (rho_ds)"},
    {1322, "Porosity of sediment (ps)"},
    {1307, "Settling velocity of SS (Ws)"},
    {1324, "Resuspension rate (Rs)"},
    {1326, "Particle production rate (Rp)"},
    {1265, "Critical current velocity for sediment resuspension (Ucrit)"},
};
inline constexpr int MetalWeightField = 1318;
inline constexpr const char* XenobioticWeightLabel = "Moleweight of Xenobiotic molecule (mw)";

// The xenobiotic dialog's second column; the acid and base flags are whole numbers.
inline constexpr WQSettingsField XenobioticSettingsFields[] = {
    {1351, "Biodecay rate in water (kbw)"},
    {1354, "Biodecay rate in sediment (kbs)"},
    {1356, "Half-saturation concentraton for biodecay in water (Khsw)"},
    {1358, "Half saturation concentration for biodecay in sediment (Khss)"},
    {1360, "Temperature coefficient for biodegradation (Theta_B)"},
    {1362, "Light attenuation in water column (alpha_L)"},
    {1364, "Photolysis rate at surface (kpho)"},
    {1366, "Henry's constant (set => 1.0E5  for no evaporation ) (KH)"},
    {1369, "Is compound an acid? [0 -no, 1-yes] (bacid)"},
    {1370, "Is compound a base? [0 -no, 1-yes] (bbase)"},
    {1374, "Dissociation constant acid (pka)"},
    {1373, "Dissociation constant base (pkb)"},
    {1376, "Hydrolysis constant, acid (khac)"},
    {1379, "Hydrolysis constant, neutral (khne)"},
    {1380, "Hydrolysis constan, alkaline (khal)"},
    {1382, "Universal gas constant (RG)"},
    {1384, "pH of water (pHw)"},
    {1386, "pH of sediment (pHs)"},
    {1388, "Wind speed (Uwind)"},
};
inline constexpr int XenobioticAcidField = 1369;
inline constexpr int XenobioticBaseField = 1370;

// Registers the templates IDD_WQ_GLOBAL_SETTINGS, IDD_HM_GLOBAL_SETTINGS and
// IDD_XE_GLOBAL_SETTINGS; later calls do nothing.
void RegisterWQSettingsDialogs();
