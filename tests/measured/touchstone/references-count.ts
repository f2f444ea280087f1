!> S11
!x 4: the option line gives 2 reference impedances for 3 ports
[Version] 2.1
# GHz S RI R 50 75
[Number of Ports] 3
[Number of Frequencies] 1
[Network Data]
