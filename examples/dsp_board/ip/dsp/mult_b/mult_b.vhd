-- VestaWizard variation file
-- Retrieval info: <instance entity-name="mult" version="11.1" >
library ieee;
use ieee.std_logic_1164.all;

entity mult_b is
    port (dataa, datab : in std_logic_vector(7 downto 0);
          result : out std_logic_vector(15 downto 0));
end mult_b;
