 WQ File Type = 0

 Number of WQ Nodes = 31
 Number of WQ Boundary Elements = 2

 WQ Upwinding Coefficient = 1
 WQ Upwinding Updating = 0
 WQ Theta = 0.6
 WQ Tolerance = 1e-05

 Temperature : latitude(phi_latitude) = 52.5
 Temperature : Maximum absorbed solar radiation(Emax) = 4992
 Temperature : Displacement of solar radiation max from noon(ftd) = 1
 Temperature : Emitted heat radiation(Eaf) = 1608
 Oxygen Processes : Reaeration temperature coefficient(Theta_rear) = 1.024
 Oxygen Processes : Respiration of animals and plants(Rresp) = 3
 Oxygen Processes : Respiration temperature coefficient(Theta_resp) = 1.05
 Oxygen Processes : Max oxygen production by photosynthesis(Pmax) = 3.5
 Oxygen Processes : Production / respiration equation order(pm'two') = 1
 Degradation : first order decay rate at twenty deg C(KBOD) = 0.5
 Degradation : Temperature coefficient for decay rate(Theta_BOD) = 1.047
 Degradation : Half saturation oxygen concentration(Ks) = 2
 Oxygen Processes : Reaeration constant(a'one') = 3.93
 Oxygen Processes : Reaeration exponent flow velocity(e'one') = 0.5
 Oxygen Processes : Reaeration exponent water depth(e'two') = -1.5
 Oxygen Processes : Reaeration exponent river slope(e'three') = 0
 Sediment processes : Sediment oxygen demand(KSOD) = 0.5
 Sediment processes : Temperature coefficient SOD(Theta_SOD) = 1.065
 Sediment processes : Resuspension of organic matter(Ksus) = 0.5
 Sediment processes : sedimentation rate for organic matter(Ksed) = 0.8
 Sediment processes : Critical flow velocity(Ucrit) = 1
 Nitrogen Content : Ratio of ammonia released at BOD decay(YBOD) = 0.29
 Nitrogen Content : Uptake of ammonia in plants(Un) = 0.066
 Nitrogen Content : Uptake of ammonia in bacteria(Ub) = 0.109
 Nitrification : Reaction order one = first order process two = half order process(n'one') = 1
 Nitrification : Ammonia decay rate at twenty deg Celcius(Knit) = 0.2
 Nitrification : Temperature coefficient for nitrification(Theta_nit) = 1.08
 Denitrification : Oxygen demand by nitrification(Ynit) = 4.57
 Denitrification : Half saturation constant(Ksden) = 0.05
 Denitrification : Reaction order one = first order process two = half order process(n'two') = 1
 Denitrification : Denitrification rate conversion of nitrate into free nitrogen(Kden) = 0.1
 Denitrification : Temperature coefficient for denitrification(Theta_den) = 1.16
 Phosphorus content : Ratio of phosphorus released at BOD decay(Yp) = 0.009
 Phosphorus content : Uptake of P in plants(Up) = 0.009
 Phosphorus exchange with bed : Resuspension of particulate phosphorus(KPres) = 0.5
 Phosphorus exchange with bed : Deposition of particulate phosphorus(KPdep) = 0.8
 Phosphorus exchange with bed : Critical velocity of flow(UPcrit) = 1
 Phosphorus processes : Decay constant for particulate phosphorus(Krel) = 0.1
 Phosphorus processes : Temperature coefficient for decay(Theta_rel) = 1.02
 Phosphorus processes : Formation constant for particulate phosphorus(Kads) = 0.1
 Phosphorus processes : Temperature coefficient for formation(Theta_ads) = 1.02

 	Node Information 

 	Node #	DO (mg/L)	Ammonia (mg/L)	Nitrate (mg/L)	BOD (mg/L)	OP (mg/L)	PP (mg/L)

	1	9.8	0.05	1.5	2	0.03	0.02 
	2	9.8	0.05	1.5	2	0.03	0.02 
	3	9.8	0.05	1.5	2	0.03	0.02 
	4	9.8	0.05	1.5	2	0.03	0.02 
	5	9.8	0.05	1.5	2	0.03	0.02 
	6	9.8	0.05	1.5	2	0.03	0.02 
	7	9.8	0.05	1.5	2	0.03	0.02 
	8	9.8	0.05	1.5	2	0.03	0.02 
	9	9.8	0.05	1.5	2	0.03	0.02 
	10	9.8	0.05	1.5	2	0.03	0.02 
	11	9.8	0.05	1.5	2	0.03	0.02 
	12	9.8	0.05	1.5	2	0.03	0.02 
	13	9.8	0.05	1.5	2	0.03	0.02 
	14	9.8	0.05	1.5	2	0.03	0.02 
	15	9.8	0.05	1.5	2	0.03	0.02 
	16	9.8	0.05	1.5	2	0.03	0.02 
	17	9.8	0.05	1.5	2	0.03	0.02 
	18	9.8	0.05	1.5	2	0.03	0.02 
	19	9.8	0.05	1.5	2	0.03	0.02 
	20	9.8	0.05	1.5	2	0.03	0.02 
	21	9.8	0.05	1.5	2	0.03	0.02 
	22	9.8	0.05	1.5	2	0.03	0.02 
	23	9.8	0.05	1.5	2	0.03	0.02 
	24	9.8	0.05	1.5	2	0.03	0.02 
	25	9.8	0.05	1.5	2	0.03	0.02 
	26	9.8	0.05	1.5	2	0.03	0.02 
	27	9.8	0.05	1.5	2	0.03	0.02 
	28	9.8	0.05	1.5	2	0.03	0.02 
	29	9.8	0.05	1.5	2	0.03	0.02 
	30	9.8	0.05	1.5	2	0.03	0.02 
	31	9.8	0.05	1.5	2	0.03	0.02 

 	Boundary Element Information 

 	Boundary Element #	Node #	Boundary condition codes

	1	1	-1	0	1	2 
	0	11	0.2	1.5	40	0.05	0.03 
	48	11	0.2	1.5	40	0.05	0.03 
 
 
	2	31	1	2	2	0 
 
 
