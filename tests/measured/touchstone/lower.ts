! A symmetric three-port saved as its lower half, a row a line.
!> S22
!= 1000000000 0.2 0
!> S33
!= 1000000000 0 0.3
[Version] 2.0
# GHz S MA R 50
[Number of Ports] 3
[Number of Frequencies] 1
[Matrix Format] Lower
[Network Data]
1 0.1 0
  0.5 0 0.2 0
  0.3 0 0.4 0 0.3 90
[End]
